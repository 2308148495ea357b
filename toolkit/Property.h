// Persistence of control properties: a bag of values by key. Reading a missing key gives the
// caller's default; writing a value equal to its default stores nothing. A form's stored design
// is one bag per control, written as data in the code.
#pragma once

#include "Font.h"
#include "Units.h"

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <variant>
#include <vector>

namespace zendra::tk {

using PropertyValue = std::variant<bool, std::int64_t, std::wstring, FontDesc>;

class PropertyBag {
public:
    PropertyBag() = default;
    PropertyBag(std::initializer_list<std::pair<std::string, PropertyValue>> entries);

    // A stored value of another kind than asked for throws std::invalid_argument.
    bool ReadBool(const std::string& key, bool def) const;
    std::int32_t ReadInt(const std::string& key, std::int32_t def) const;
    OleColor ReadColor(const std::string& key, OleColor def) const;
    std::wstring ReadString(const std::string& key, const std::wstring& def) const;
    FontDesc ReadFont(const std::string& key, const FontDesc& def) const;

    void WriteBool(const std::string& key, bool value, bool def);
    void WriteInt(const std::string& key, std::int32_t value, std::int32_t def);
    void WriteColor(const std::string& key, OleColor value, OleColor def);
    void WriteString(const std::string& key, const std::wstring& value, const std::wstring& def);
    void WriteFont(const std::string& key, const FontDesc& value, const FontDesc& def);

    bool Contains(const std::string& key) const;
    // The keys in the order they were written.
    std::vector<std::string> Keys() const;

private:
    const PropertyValue* Find(const std::string& key) const;
    void Write(const std::string& key, PropertyValue value, const PropertyValue& def);

    std::vector<std::pair<std::string, PropertyValue>> entries_;
};

// The keys of the properties set since creation (a set marks its key changed).
class PropertyChanges {
public:
    void Mark(const std::string& key) { keys_.insert(key); }
    bool IsChanged(const std::string& key) const { return keys_.count(key) != 0; }
    void Clear() { keys_.clear(); }

private:
    std::set<std::string> keys_;
};

// A form's stored design: the bag of each control by its name.
using FormDesign = std::map<std::wstring, PropertyBag>;

} // namespace zendra::tk
