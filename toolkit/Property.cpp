#include "Property.h"

#include <algorithm>
#include <limits>
#include <stdexcept>

namespace zendra::tk {

PropertyBag::PropertyBag(std::initializer_list<std::pair<std::string, PropertyValue>> entries)
    : entries_(entries) {}

const PropertyValue* PropertyBag::Find(const std::string& key) const {
    auto found = std::find_if(entries_.begin(), entries_.end(),
                              [&](const auto& entry) { return entry.first == key; });
    return found == entries_.end() ? nullptr : &found->second;
}

namespace {

template <typename T> const T& As(const PropertyValue& value, const std::string& key) {
    if (const T* typed = std::get_if<T>(&value)) return *typed;
    throw std::invalid_argument("property \"" + key + "\" holds another kind of value");
}

std::int64_t ReadInteger(const PropertyValue* value, const std::string& key, std::int64_t def) {
    if (value == nullptr) return def;
    // A stored Boolean reads as -1 / 0, as the designs' integers do.
    if (const bool* flag = std::get_if<bool>(value)) return *flag ? -1 : 0;
    return As<std::int64_t>(*value, key);
}

} // namespace

bool PropertyBag::ReadBool(const std::string& key, bool def) const {
    const PropertyValue* value = Find(key);
    if (value == nullptr) return def;
    if (const auto* number = std::get_if<std::int64_t>(value)) return *number != 0;
    return As<bool>(*value, key);
}

std::int32_t PropertyBag::ReadInt(const std::string& key, std::int32_t def) const {
    const std::int64_t v = ReadInteger(Find(key), key, def);
    if (v < std::numeric_limits<std::int32_t>::min() || v > std::numeric_limits<std::int32_t>::max())
        throw std::out_of_range("property \"" + key + "\" out of range");
    return static_cast<std::int32_t>(v);
}

OleColor PropertyBag::ReadColor(const std::string& key, OleColor def) const {
    return static_cast<OleColor>(ReadInteger(Find(key), key, def) & 0xFFFFFFFF);
}

std::wstring PropertyBag::ReadString(const std::string& key, const std::wstring& def) const {
    const PropertyValue* value = Find(key);
    return value == nullptr ? def : As<std::wstring>(*value, key);
}

FontDesc PropertyBag::ReadFont(const std::string& key, const FontDesc& def) const {
    const PropertyValue* value = Find(key);
    return value == nullptr ? def : As<FontDesc>(*value, key);
}

void PropertyBag::Write(const std::string& key, PropertyValue value, const PropertyValue& def) {
    auto found = std::find_if(entries_.begin(), entries_.end(),
                              [&](const auto& entry) { return entry.first == key; });
    if (value == def) {
        if (found != entries_.end()) entries_.erase(found);
        return;
    }
    if (found != entries_.end())
        found->second = std::move(value);
    else
        entries_.emplace_back(key, std::move(value));
}

void PropertyBag::WriteBool(const std::string& key, bool value, bool def) {
    Write(key, value, def);
}
void PropertyBag::WriteInt(const std::string& key, std::int32_t value, std::int32_t def) {
    Write(key, std::int64_t{value}, std::int64_t{def});
}
void PropertyBag::WriteColor(const std::string& key, OleColor value, OleColor def) {
    Write(key, std::int64_t{value}, std::int64_t{def});
}
void PropertyBag::WriteString(const std::string& key, const std::wstring& value,
                              const std::wstring& def) {
    Write(key, value, def);
}
void PropertyBag::WriteFont(const std::string& key, const FontDesc& value, const FontDesc& def) {
    Write(key, value, def);
}

bool PropertyBag::Contains(const std::string& key) const { return Find(key) != nullptr; }

std::vector<std::string> PropertyBag::Keys() const {
    std::vector<std::string> keys;
    for (const auto& entry : entries_) keys.push_back(entry.first);
    return keys;
}

} // namespace zendra::tk
