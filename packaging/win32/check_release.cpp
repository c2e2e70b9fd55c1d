// check_release: reads a built Vareli.exe the way Windows does and says
// whether its release resources are in order. It asks the system's own
// readers (the version library, the activation-context loader, the icon
// loader) rather than parsing the file, so a resource that a Windows build
// tool wrote but Windows would not take fails here too.
//
//   check_release.exe PROGRAM.exe FILE_VERSION PRODUCT_VERSION
//     FILE_VERSION     e.g. 1.40.102 (the build's project version)
//     PRODUCT_VERSION  e.g. v140102 (the version the About text shows)
//
// Prints one line per finding and exits 0 when all are in order, 1 when one
// is not, 2 on bad arguments. A console program, run under wine by
// scripts/package.sh; it makes no window.
#include <shlwapi.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <string>
#include <vector>

namespace {

// An entry point looked up by name, in the type it really has (through
// void*, since FARPROC's own type matches no real function).
template <typename Function>
Function EntryPoint(HMODULE module, const char* name) {
    return module != nullptr
               ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)))
               : nullptr;
}

int passes = 0;
int failures = 0;

void Report(bool ok, const std::string& what) {
    std::printf("%s %s\n", ok ? "ok  " : "FAIL", what.c_str());
    ++(ok ? passes : failures);
}

// "1.40.102" or "1.40.102.0" as the four 16-bit parts of a fixed version.
bool ParseVersion(const std::string& text, unsigned parts[4]) {
    unsigned values[4] = {0, 0, 0, 0};
    int count = 0;
    const char* p = text.c_str();
    while (count < 4) {
        char* end = nullptr;
        const unsigned long value = std::strtoul(p, &end, 10);
        if (end == p || value > 0xFFFF) return false;
        values[count++] = static_cast<unsigned>(value);
        if (*end == '\0') break;
        if (*end != '.') return false;
        p = end + 1;
    }
    if (count < 3) return false;
    for (int i = 0; i < 4; ++i) parts[i] = values[i];
    return true;
}

std::string QueryString(const std::vector<char>& block, const char* key) {
    struct Translation {
        WORD language;
        WORD codePage;
    };
    Translation* translations = nullptr;
    UINT size = 0;
    if (!VerQueryValueA(block.data(), "\\VarFileInfo\\Translation",
                        reinterpret_cast<void**>(&translations), &size) ||
        size < sizeof(Translation)) {
        return "";
    }
    char path[128];
    std::snprintf(path, sizeof path, "\\StringFileInfo\\%04x%04x\\%s", translations[0].language,
                  translations[0].codePage, key);
    char* value = nullptr;
    if (!VerQueryValueA(block.data(), path, reinterpret_cast<void**>(&value), &size) || size == 0)
        return "";
    return std::string(value);
}

void CheckVersion(const char* program, const std::string& fileVersion,
                  const std::string& productVersion) {
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(program, &ignored);
    Report(size != 0, "version resource present");
    if (size == 0) return;
    std::vector<char> block(size);
    if (!GetFileVersionInfoA(program, 0, size, block.data())) {
        Report(false, "version resource readable");
        return;
    }
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT fixedSize = 0;
    const bool hasFixed =
        VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &fixedSize) &&
        fixedSize >= sizeof(VS_FIXEDFILEINFO) && fixed->dwSignature == 0xFEEF04BD;
    Report(hasFixed, "fixed version information");
    if (hasFixed) {
        unsigned want[4];
        char text[64];
        std::snprintf(text, sizeof text, "%u.%u.%u.%u", HIWORD(fixed->dwFileVersionMS),
                      LOWORD(fixed->dwFileVersionMS), HIWORD(fixed->dwFileVersionLS),
                      LOWORD(fixed->dwFileVersionLS));
        const bool parsed = ParseVersion(fileVersion, want);
        const bool same = parsed && HIWORD(fixed->dwFileVersionMS) == want[0] &&
                          LOWORD(fixed->dwFileVersionMS) == want[1] &&
                          HIWORD(fixed->dwFileVersionLS) == want[2] &&
                          LOWORD(fixed->dwFileVersionLS) == want[3];
        Report(same, std::string("file version ") + text + " (wanted " + fileVersion + ")");
        Report(fixed->dwFileVersionMS == fixed->dwProductVersionMS &&
                   fixed->dwFileVersionLS == fixed->dwProductVersionLS,
               "product version number equals the file version number");
        Report(fixed->dwFileType == VFT_APP, "file type is an application");
    }
    const std::string name = QueryString(block, "ProductName");
    Report(name == "Vareli", "ProductName \"" + name + "\"");
    const std::string product = QueryString(block, "ProductVersion");
    Report(product == productVersion,
           "ProductVersion \"" + product + "\" (wanted \"" + productVersion + "\")");
    const std::string file = QueryString(block, "FileVersion");
    unsigned a[4], b[4];
    Report(ParseVersion(file, a) && ParseVersion(fileVersion, b) && a[0] == b[0] && a[1] == b[1] &&
               a[2] == b[2] && a[3] == b[3],
           "FileVersion \"" + file + "\"");
    const std::string description = QueryString(block, "FileDescription");
    Report(!description.empty(), "FileDescription \"" + description + "\"");
    const std::string original = QueryString(block, "OriginalFilename");
    Report(original == "Vareli.exe", "OriginalFilename \"" + original + "\"");
}

// The manifest as the loader reads it: it must make an activation context,
// that context must bring common controls 6, and it must leave the program
// DPI unaware (its layouts are pixels at 96 dpi, scaled by Windows).
void CheckManifest(const char* program) {
    ACTCTXA request = {};
    request.cbSize = sizeof request;
    request.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
    request.lpSource = program;
    request.lpResourceName = MAKEINTRESOURCEA(1);
    HANDLE context = CreateActCtxA(&request);
    Report(context != INVALID_HANDLE_VALUE, "manifest makes an activation context");
    if (context == INVALID_HANDLE_VALUE) return;

    ULONG_PTR cookie = 0;
    if (ActivateActCtx(context, &cookie)) {
        // Loaded inside the context, the name resolves to the version 6
        // assembly in the side-by-side store when the manifest asks for it,
        // to the system folder's version 5 otherwise. wine's copy in the store
        // still reports 5.81 from DllGetVersion, so its folder counts too.
        HMODULE controls = LoadLibraryA("comctl32.dll");
        char path[MAX_PATH] = {};
        if (controls != nullptr) GetModuleFileNameA(controls, path, sizeof path);
        DLLVERSIONINFO info = {};
        info.cbSize = sizeof info;
        auto getVersion = EntryPoint<DLLGETVERSIONPROC>(controls, "DllGetVersion");
        const bool known = getVersion != nullptr && SUCCEEDED(getVersion(&info));
        const bool fromStore =
            StrStrIA(path, "microsoft.windows.common-controls_6595b64144ccf1df_6.") != nullptr;
        char text[MAX_PATH + 64];
        std::snprintf(text, sizeof text, "common controls %lu.%lu from %s",
                      static_cast<unsigned long>(info.dwMajorVersion),
                      static_cast<unsigned long>(info.dwMinorVersion), path);
        Report(controls != nullptr && ((known && info.dwMajorVersion >= 6) || fromStore), text);
        if (controls != nullptr) FreeLibrary(controls);
        DeactivateActCtx(0, cookie);
    } else {
        Report(false, "activation context can be activated");
    }

    // Present from Windows 7 (and in wine); without it the check is skipped.
    using QuerySettings = BOOL(WINAPI*)(DWORD, HANDLE, PCWSTR, PCWSTR, PWSTR, SIZE_T, SIZE_T*);
    auto query =
        EntryPoint<QuerySettings>(GetModuleHandleA("kernel32.dll"), "QueryActCtxSettingsW");
    if (query != nullptr) {
        wchar_t value[64] = {};
        SIZE_T written = 0;
        const BOOL found = query(0, context, nullptr, L"dpiAware", value, 64, &written);
        char text[64];
        std::snprintf(text, sizeof text, "%ls", found ? value : L"(not set)");
        Report(found && _wcsicmp(value, L"false") == 0,
               std::string("dpiAware ") + text + " (wanted false)");
    } else {
        std::printf("skip manifest settings cannot be queried on this system\n");
    }
    ReleaseActCtx(context);
}

// The icon group Explorer shows (the first one), as the system loads it.
void CheckIcon(const char* program) {
    HMODULE module = LoadLibraryExA(program, nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (module == nullptr) {
        Report(false, "program loads as a resource file");
        return;
    }
    for (int size : {16, 32, 48}) {
        HICON icon = static_cast<HICON>(
            LoadImageA(module, "VARELI_ICON", IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
        ICONINFO info = {};
        BITMAP colour = {};
        const bool loaded = icon != nullptr && GetIconInfo(icon, &info);
        if (loaded && info.hbmColor != nullptr) GetObjectA(info.hbmColor, sizeof colour, &colour);
        Report(loaded && colour.bmWidth == size && colour.bmHeight == size,
               "icon VARELI_ICON at " + std::to_string(size) + " x " + std::to_string(size));
        if (info.hbmColor != nullptr) DeleteObject(info.hbmColor);
        if (info.hbmMask != nullptr) DeleteObject(info.hbmMask);
        if (icon != nullptr) DestroyIcon(icon);
    }
    FreeLibrary(module);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: check_release PROGRAM.exe FILE_VERSION PRODUCT_VERSION\n");
        return 2;
    }
    if (GetFileAttributesA(argv[1]) == INVALID_FILE_ATTRIBUTES) {
        std::fprintf(stderr, "check_release: no such file: %s\n", argv[1]);
        return 2;
    }
    CheckVersion(argv[1], argv[2], argv[3]);
    CheckManifest(argv[1]);
    CheckIcon(argv[1]);
    std::printf("check_release: %d in order, %d not\n", passes, failures);
    return failures == 0 ? 0 : 1;
}
