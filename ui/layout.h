// Stored layouts: a window's components and their property values as data,
// and the reader that builds a window from them.
//
// A layout is a tree of objects, each with a class name, a component name, its
// properties in order and its nested objects (controls inside a form, items
// inside a menu). TLayoutReader applies it to a root component (the form) in
// stream order: the root and every component it makes are put into their
// loading state, each property is set in the order stored, references to other
// components are resolved once every component exists, and then Loaded is
// called on each made component in stream order and last on the root.
//
// The root declares beforehand where each component goes (Field, which also
// says what class to make) and which of its methods the layout's event
// properties may name (Method). The toolkit's own components read their
// properties themselves (IStoredComponent); for any other component the Field
// declaration gives a function that sets its properties.
//
// The reader lives on the stack of the root's constructor; main thread only.
// Errors in the layout raise EReadError naming the component and property;
// what a property's setter raises passes through unchanged.
#pragma once

#include <any>
#include <functional>
#include <map>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "rtl/classes.h"
#include "ui/ui_errors.h"

class TLayoutValue {
  public:
    enum class Kind { Integer, Boolean, String, Ident, Set, Strings };

    TLayoutValue(int value) : kind_(Kind::Integer), integer_(value) {}
    TLayoutValue(bool value) : kind_(Kind::Boolean), integer_(value ? 1 : 0) {}
    TLayoutValue(const char* value) : kind_(Kind::String), text_(value) {}
    TLayoutValue(std::string value) : kind_(Kind::String), text_(std::move(value)) {}

    // An identifier: an enumeration member, a colour, a method or component name.
    static TLayoutValue MakeIdent(std::string ident);
    // A set of identifiers, e.g. [biSystemMenu, biMinimize].
    static TLayoutValue MakeSet(std::vector<std::string> members);
    // A list of strings (a combo box's items, a view's lines).
    static TLayoutValue MakeStrings(std::vector<std::string> strings);

    Kind GetKind() const { return kind_; }
    // Each raises EReadError("Invalid property value") for a value of another kind.
    int AsInteger() const;
    bool AsBoolean() const;
    const std::string& AsString() const;
    const std::string& AsIdent() const;
    const std::vector<std::string>& AsSet() const;
    const std::vector<std::string>& AsStrings() const;

  private:
    TLayoutValue(Kind kind, std::string text, std::vector<std::string> list)
        : kind_(kind), text_(std::move(text)), list_(std::move(list)) {}
    void Expect(Kind kind) const;

    Kind kind_;
    int integer_ = 0;
    std::string text_;
    std::vector<std::string> list_;
};

inline TLayoutValue Ident(std::string ident) {
    return TLayoutValue::MakeIdent(std::move(ident));
}
inline TLayoutValue SetOf(std::vector<std::string> members) {
    return TLayoutValue::MakeSet(std::move(members));
}
inline TLayoutValue StringList(std::vector<std::string> strings) {
    return TLayoutValue::MakeStrings(std::move(strings));
}

struct TLayoutProperty {
    std::string Name;  // "Left", "Font.Height", "OnClick", ...
    TLayoutValue Value;
};

struct TLayoutObject {
    TLayoutObject(std::string className, std::string name,
                  std::vector<TLayoutProperty> properties = {},
                  std::vector<TLayoutObject> children = {})
        : ClassName(std::move(className)),
          Name(std::move(name)),
          Properties(std::move(properties)),
          Children(std::move(children)) {}

    std::string ClassName;  // for the reader of the table; Field decides the class made
    std::string Name;
    std::vector<TLayoutProperty> Properties;
    std::vector<TLayoutObject> Children;
};

class TLayoutReader;

// A component that reads its own stored properties.
class IStoredComponent {
  public:
    // Sets one property; false when the component has no property of that name.
    virtual bool ReadProperty(TLayoutReader& reader, const std::string& name,
                              const TLayoutValue& value) = 0;
    // The layout nests this component inside parent; called before its properties.
    virtual void SetParentComponent(TComponent* parent) = 0;

  protected:
    ~IStoredComponent() = default;
};

template <class T>
using TPropertySetter = std::function<bool(T& component, TLayoutReader& reader,
                                           const std::string& name, const TLayoutValue& value)>;

namespace layout_detail {
template <class T>
struct IsFunction : std::false_type {};
template <class R, class... A>
struct IsFunction<std::function<R(A...)>> : std::true_type {};
}  // namespace layout_detail

class TLayoutReader {
  public:
    explicit TLayoutReader(TComponent* root) : root_(root) {}
    TLayoutReader(const TLayoutReader&) = delete;
    TLayoutReader& operator=(const TLayoutReader&) = delete;

    TComponent* Root() const { return root_; }

    // The component of that name is made as a T owned by the root, and *field
    // points to it from then on. A component that does not read its own
    // properties needs setProperties.
    template <class T>
    void Field(const std::string& name, T** field, TPropertySetter<T> setProperties = nullptr) {
        FieldEntry entry;
        entry.create = [this, field]() -> TComponent* {
            T* made = new T(root_);
            *field = made;
            return made;
        };
        if (setProperties) {
            entry.setProperties = [setProperties](TComponent& c, TLayoutReader& r,
                                                  const std::string& n, const TLayoutValue& v) {
                return setProperties(static_cast<T&>(c), r, n, v);
            };
        }
        fields_[name] = std::move(entry);
    }

    // A handler the layout's event properties may name. Event is the event's
    // std::function type, e.g. TNotifyEvent.
    template <class Event>
    void Method(const std::string& name, Event handler) {
        static_assert(layout_detail::IsFunction<Event>::value,
                      "give the event type: Method<TNotifyEvent>(...)");
        methods_[name] = std::any(std::move(handler));
    }
    // A method of the root's class, e.g. Method("FormShow", this, &TForm1::FormShow).
    template <class C, class... A>
    void Method(const std::string& name, C* object, void (C::*method)(A...)) {
        Method<std::function<void(A...)>>(
            name, [object, method](A... args) { (object->*method)(std::forward<A>(args)...); });
    }

    void Read(const TLayoutObject& layout);

    // For property setters: the declared method an identifier value names.
    template <class Event>
    Event FindMethod(const TLayoutValue& value) const {
        const std::any& method = LookUpMethod(value.AsIdent());
        const Event* handler = std::any_cast<Event>(&method);
        if (handler == nullptr)
            throw EReadError("Method " + value.AsIdent() + " does not fit the event");
        return *handler;
    }

    // For property setters: the component an identifier value names, given to
    // assign once every component of the layout exists.
    template <class T>
    void Reference(const TLayoutValue& value, std::function<void(T*)> assign) {
        const std::string& name = value.AsIdent();
        fixups_.push_back({name, [name, assign](TComponent* component) {
                               T* typed = dynamic_cast<T*>(component);
                               if (typed == nullptr)
                                   throw EReadError("Component " + name + " is of another class");
                               assign(typed);
                           }});
    }

  private:
    struct FieldEntry {
        std::function<TComponent*()> create;
        std::function<bool(TComponent&, TLayoutReader&, const std::string&, const TLayoutValue&)>
            setProperties;
    };
    struct Fixup {
        std::string name;
        std::function<void(TComponent*)> assign;
    };

    void ReadObject(const TLayoutObject& object, TComponent* parent);
    void ReadProperties(TComponent* component, const FieldEntry* field,
                        const TLayoutObject& object);
    const std::any& LookUpMethod(const std::string& name) const;
    TComponent* FindByName(const std::string& name) const;

    TComponent* root_;
    std::map<std::string, FieldEntry> fields_;
    std::map<std::string, std::any> methods_;
    std::vector<Fixup> fixups_;
    std::vector<TComponent*> made_;
};
