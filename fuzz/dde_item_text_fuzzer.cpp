// Fuzzes how the DDE item takes data: any bytes as the decoder's item text,
// fetched after a notice (with or without the zero byte that should end it)
// or carried by the notice itself (with a reported size that may stop short
// of the bytes), with control characters blanked or lines split. The whole
// path runs: the manager's callback, the conversation, the item link, the
// fake library's data handles. Checked against a model of the rules, plus:
// one change event per notice, every fetched handle freed, every access
// undone, a notice's own data left to the library.
//
// Input: byte 0 flags (1 zero byte, 2 data in the notice, 4 FormatChars,
// 8 reported size cut by byte 1), byte 1 the cut, the rest the bytes.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "dde/dde_harness.h"
#include "fuzz_check.h"

namespace {

std::vector<std::string> ModelLines(const std::string& text) {
    std::vector<std::string> lines;
    std::string line;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r' && text[i] != '\n') {
            line += text[i];
            continue;
        }
        lines.push_back(line);
        line.clear();
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    }
    if (!line.empty()) lines.push_back(line);
    return lines;
}

std::string Joined(const std::vector<std::string>& lines) {
    std::string joined = std::to_string(lines.size()) + ":";
    for (const std::string& line : lines) joined += line + "|";
    return joined;
}

struct World {
    DdeHarness h;
    TDdeClientConv conv{nullptr};
    TDdeClientItem item{nullptr};
    int changes = 0;

    World() {
        item.OnChange = [this](TObject*) { ++changes; };
        item.SetDdeConv(&conv);
        fuzz::Check(conv.Reconnect("VTplus", "590"), "the conversation opens");
        item.SetDdeItem(kBlockItem);
        fuzz::Check(!item.Text().empty(), "the block arrives");
    }
};

World& TheWorld() {
    static World* world = new World;  // lives to the end of the process
    return *world;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    World& w = TheWorld();
    FakeDdeml& fake = w.h.fake;
    const bool zeroByte = (data[0] & 1) != 0;
    const bool inNotice = (data[0] & 2) != 0;
    const bool formatChars = (data[0] & 4) != 0;
    const std::string bytes(reinterpret_cast<const char*>(data) + 2, size - 2);
    // The fake library hands out no pointer for a data object of no bytes (a
    // real one has at least its text's zero byte), so such an object says
    // nothing about the program.
    if (bytes.empty() && (inNotice || !zeroByte)) return 0;
    std::uint32_t reported = static_cast<std::uint32_t>(bytes.size());
    if ((data[0] & 8) != 0) reported -= std::min<std::uint32_t>(data[1], reported);

    w.conv.SetFormatChars(formatChars);  // a change fetches the value again
    const std::vector<std::string> before = w.item.Lines();
    w.changes = 0;

    std::uintptr_t noticeData = 0;
    std::string text;
    if (inNotice) {
        noticeData = fake.MakeData(bytes, reported);
        fake.Call(ddeml::kXtypAdvData, w.conv.Conv(), fake.Hsz("590"), fake.Hsz(kBlockItem),
                  noticeData);
        text = bytes.substr(0, reported);
    } else {
        fake.server.items[kBlockItem] = bytes;
        fake.server.zeroTerminated = zeroByte;
        fake.Advise(kBlockItem);
        text = bytes;
    }
    const std::size_t zero = text.find('\0');
    if (zero != std::string::npos) text.resize(zero);

    std::vector<std::string> want = before;
    if (!text.empty()) {
        if (formatChars) {
            want = ModelLines(text);
        } else {
            for (char& c : text)
                if (static_cast<unsigned char>(c) >= 1 && static_cast<unsigned char>(c) <= 31)
                    c = ' ';
            want = {text};
        }
    }
    fuzz::CheckEqual(Joined(w.item.Lines()), Joined(want), "the item's lines");
    fuzz::CheckEqual(w.changes, 1, "change events for one notice");
    fuzz::CheckEqual(fake.UnfreedRequestData(), 0, "fetched data handles left unfreed");
    for (const auto& entry : fake.datas)
        fuzz::CheckEqual(entry.second.accessCount, 0, "data handles left accessed");
    if (inNotice) fuzz::Check(!fake.datas[noticeData].freed, "the notice's data was freed");

    // Every handle is accounted for: start the next input with none.
    fake.datas.clear();
    fake.log.clear();
    return 0;
}
