// The layout reader: makes the components, sets their properties in stream
// order, resolves references, then ends every component's loading state.
#include "ui/layout.h"

TLayoutValue TLayoutValue::MakeIdent(std::string ident) {
    return TLayoutValue(Kind::Ident, std::move(ident), {});
}

TLayoutValue TLayoutValue::MakeSet(std::vector<std::string> members) {
    return TLayoutValue(Kind::Set, {}, std::move(members));
}

TLayoutValue TLayoutValue::MakeStrings(std::vector<std::string> strings) {
    return TLayoutValue(Kind::Strings, {}, std::move(strings));
}

void TLayoutValue::Expect(Kind kind) const {
    if (kind_ != kind) throw EReadError("Invalid property value");
}

int TLayoutValue::AsInteger() const {
    Expect(Kind::Integer);
    return integer_;
}

bool TLayoutValue::AsBoolean() const {
    Expect(Kind::Boolean);
    return integer_ != 0;
}

const std::string& TLayoutValue::AsString() const {
    Expect(Kind::String);
    return text_;
}

const std::string& TLayoutValue::AsIdent() const {
    Expect(Kind::Ident);
    return text_;
}

const std::vector<std::string>& TLayoutValue::AsSet() const {
    Expect(Kind::Set);
    return list_;
}

const std::vector<std::string>& TLayoutValue::AsStrings() const {
    Expect(Kind::Strings);
    return list_;
}

void TLayoutReader::Read(const TLayoutObject& layout) {
    root_->BeginLoading();
    if (!layout.Name.empty()) root_->SetName(layout.Name);
    ReadProperties(root_, nullptr, layout);
    for (const TLayoutObject& child : layout.Children) ReadObject(child, root_);
    for (const Fixup& fixup : fixups_) {
        TComponent* target = FindByName(fixup.name);
        if (target == nullptr)
            throw EReadError("Error reading " + root_->Name() + ": component " + fixup.name +
                             " does not exist");
        fixup.assign(target);
    }
    fixups_.clear();
    for (TComponent* component : made_) component->Loaded();
    root_->Loaded();
}

void TLayoutReader::ReadObject(const TLayoutObject& object, TComponent* parent) {
    auto field = fields_.find(object.Name);
    if (field == fields_.end())
        throw EReadError("Error reading " + root_->Name() + ": no field for " + object.Name + " (" +
                         object.ClassName + ")");
    if (FindByName(object.Name) != nullptr)
        throw EReadError("A component named " + object.Name + " already exists");
    TComponent* component = field->second.create();
    component->SetName(object.Name);
    component->BeginLoading();
    made_.push_back(component);
    if (auto* stored = dynamic_cast<IStoredComponent*>(component))
        stored->SetParentComponent(parent);
    ReadProperties(component, &field->second, object);
    for (const TLayoutObject& child : object.Children) ReadObject(child, component);
}

void TLayoutReader::ReadProperties(TComponent* component, const FieldEntry* field,
                                   const TLayoutObject& object) {
    for (const TLayoutProperty& property : object.Properties) {
        bool known = false;
        try {
            if (field != nullptr && field->setProperties)
                known = field->setProperties(*component, *this, property.Name, property.Value);
            if (!known) {
                if (auto* stored = dynamic_cast<IStoredComponent*>(component))
                    known = stored->ReadProperty(*this, property.Name, property.Value);
            }
        } catch (const EReadError& e) {
            throw EReadError("Error reading " + object.Name + "." + property.Name + ": " +
                             e.Message());
        }
        if (!known)
            throw EReadError("Error reading " + object.Name + "." + property.Name +
                             ": Property does not exist");
    }
}

const std::any& TLayoutReader::LookUpMethod(const std::string& name) const {
    auto method = methods_.find(name);
    if (method == methods_.end()) throw EReadError("Method " + name + " does not exist");
    return method->second;
}

TComponent* TLayoutReader::FindByName(const std::string& name) const {
    if (!name.empty() && name == root_->Name()) return root_;
    return root_->FindComponent(name);
}
