// The text form of a button's property bag and the typed reading and writing
// of its nine properties.
#include "widgets/ibutton/property_bag.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>

#include "base/text.h"

namespace quorvel {
namespace {

char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameKey(std::string_view a, std::string_view b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return LowerAscii(x) == LowerAscii(y); });
}

std::string LowerKey(std::string_view key) {
    std::string lower(key);
    for (char& c : lower) c = LowerAscii(c);
    return lower;
}

std::string_view Trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    return text;
}

// A whole decimal integer with an optional sign, within [low, high].
std::optional<int64_t> ParseInteger(std::string_view text, int64_t low, int64_t high) {
    text = Trim(text);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    int64_t value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
    if (value < low || value > high) return std::nullopt;
    return value;
}

std::optional<int16_t> ParseInt16(std::string_view text) {
    const auto value = ParseInteger(text, std::numeric_limits<int16_t>::min(), std::numeric_limits<int16_t>::max());
    if (!value) return std::nullopt;
    return static_cast<int16_t>(*value);
}

// Any 16-bit integer converts: 0 is False, everything else True.
std::optional<bool> ParseBoolean(std::string_view text) {
    const auto value = ParseInt16(text);
    if (!value) return std::nullopt;
    return *value != 0;
}

std::optional<Colour> ParseColour(std::string_view text) {
    text = Trim(text);
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        text.remove_prefix(2);
        uint64_t value = 0;
        const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, 16);
        if (ec != std::errc() || end != text.data() + text.size() || value > 0xFFFFFFFFu) return std::nullopt;
        return static_cast<Colour>(value);
    }
    // Decimal: a signed 32-bit value (as a program would hold a system colour)
    // or an unsigned one.
    const auto value = ParseInteger(text, std::numeric_limits<int32_t>::min(), 0xFFFFFFFFLL);
    if (!value) return std::nullopt;
    return static_cast<Colour>(static_cast<uint32_t>(*value));
}

std::string Escape(std::u16string_view text) {
    std::string out;
    for (char c : Utf16ToUtf8(text)) {
        if (c == '\\') {
            out += "\\\\";
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else {
            out += c;
        }
    }
    return out;
}

// A backslash not followed by n, r or another backslash stands for itself.
std::u16string Unescape(std::string_view text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        const char next = i + 1 < text.size() ? text[i + 1] : '\0';
        if (text[i] == '\\' && (next == 'n' || next == 'r' || next == '\\')) {
            out += next == 'n' ? '\n' : next == 'r' ? '\r' : '\\';
            ++i;
        } else {
            out += text[i];
        }
    }
    return Utf8ToUtf16(out);
}

std::optional<ButtonFont> ParseFont(std::string_view text) {
    // The numbers are the last six fields, so a face may hold commas.
    std::string_view fields[6];
    for (int i = 5; i >= 0; --i) {
        const size_t comma = text.rfind(',');
        if (comma == std::string_view::npos) return std::nullopt;
        fields[i] = text.substr(comma + 1);
        text = text.substr(0, comma);
    }
    ButtonFont font;
    font.face = Unescape(text);
    const std::string_view points = Trim(fields[0]);
    float size = 0;
    const auto [end, ec] = std::from_chars(points.data(), points.data() + points.size(), size);
    if (points.empty() || ec != std::errc() || end != points.data() + points.size()) return std::nullopt;
    if (!std::isfinite(size) || size <= 0) return std::nullopt;
    font.points = size;
    const auto weight = ParseInt16(fields[1]);
    const auto italic = ParseBoolean(fields[2]);
    const auto underline = ParseBoolean(fields[3]);
    const auto strikethrough = ParseBoolean(fields[4]);
    const auto charset = ParseInteger(fields[5], 0, 255);
    if (!weight || !italic || !underline || !strikethrough || !charset) return std::nullopt;
    font.weight = *weight;
    font.italic = *italic;
    font.underline = *underline;
    font.strikethrough = *strikethrough;
    font.charset = static_cast<int16_t>(*charset);
    return font;
}

std::string BooleanText(bool value) { return value ? "-1" : "0"; }

std::string FontText(const ButtonFont& font) {
    char points[32] = {};
    const auto result = std::to_chars(points, points + sizeof points - 1, font.points);
    *result.ptr = '\0';
    return Escape(font.face) + "," + points + "," + std::to_string(font.weight) + "," + BooleanText(font.italic) + "," +
           BooleanText(font.underline) + "," + BooleanText(font.strikethrough) + "," + std::to_string(font.charset);
}

std::string ColourText(Colour colour) {
    char text[16] = {};
    std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(colour));
    return text;
}

// One typed key read: the default when the key is missing or its value does
// not parse, and then the key is recorded as rejected.
template <typename T, typename Parse>
T Read(const PropertyBag& bag, const char* key, T fallback, Parse parse, std::vector<std::string>& rejected) {
    const std::string* value = bag.Find(key);
    if (!value) return fallback;
    std::optional<T> parsed = parse(*value);
    if (!parsed) {
        rejected.emplace_back(key);
        return fallback;
    }
    return *std::move(parsed);
}

}  // namespace

PropertyBag PropertyBag::Parse(std::string_view text) {
    PropertyBag bag;
    while (!text.empty()) {
        const size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        const size_t equals = line.find('=');
        if (Trim(line).empty() || equals == std::string_view::npos) continue;
        bag.entries_.push_back({std::string(line.substr(0, equals)), std::string(line.substr(equals + 1))});
    }
    return bag;
}

std::string PropertyBag::Serialize() const {
    std::string text;
    for (const BagEntry& entry : entries_) text += entry.key + "=" + entry.value + "\n";
    return text;
}

const std::string* PropertyBag::Find(std::string_view key) const {
    for (const BagEntry& entry : entries_)
        if (SameKey(entry.key, key)) return &entry.value;
    return nullptr;
}

void PropertyBag::Set(std::string_view key, std::string value) {
    for (BagEntry& entry : entries_) {
        if (SameKey(entry.key, key)) {
            entry.value = std::move(value);
            return;
        }
    }
    Append(std::string(key), std::move(value));
}

void PropertyBag::Append(std::string key, std::string value) { entries_.push_back({std::move(key), std::move(value)}); }

void PropertyBag::Remove(std::string_view key) {
    std::erase_if(entries_, [key](const BagEntry& entry) { return SameKey(entry.key, key); });
}

ButtonProperties ReadButtonProperties(const PropertyBag& bag,
                                      const SurfaceStyle& surface,
                                      const PictureResolver& resolve,
                                      std::vector<std::string>& rejected) {
    ButtonProperties p;
    // An unknown name is no picture; a value that is not a name is malformed.
    p.BackPicture = Read<Picture>(
        bag, "BackPicture", nullptr,
        [&resolve](std::string_view v) -> std::optional<Picture> {
            if (v.empty() || v.front() != '@') return std::nullopt;
            return resolve ? resolve(v.substr(1)) : nullptr;
        },
        rejected);
    p.Enabled = Read<bool>(bag, "Enabled", true, ParseBoolean, rejected);
    p.cBackStyle = Read<int16_t>(bag, "cBackStyle", 1, ParseInt16, rejected);
    p.Caption = Read<std::u16string>(
        bag, "Caption", u"", [](std::string_view v) { return std::optional(Unescape(v)); }, rejected);
    p.Style = Read<int16_t>(bag, "Style", 0, ParseInt16, rejected);
    p.AutoSize = Read<bool>(bag, "AutoSize", true, ParseBoolean, rejected);
    p.cForeColor = Read<Colour>(bag, "cForeColor", surface.foreColor, ParseColour, rejected);
    p.cFont = Read<ButtonFont>(bag, "cFont", surface.font, ParseFont, rejected);
    p.cDrawMode = Read<int16_t>(bag, "cDrawMode", surface.drawMode, ParseInt16, rejected);
    return p;
}

std::vector<std::string> WriteButtonProperties(PropertyBag& bag,
                                               const ButtonProperties& values,
                                               const PictureNamer& name) {
    std::vector<std::string> unwritten;
    auto write = [&bag](const char* key, std::string text, bool isDefault) {
        bag.Remove(key);
        if (!isDefault) bag.Append(LowerKey(key), std::move(text));
    };

    bag.Remove("BackPicture");
    if (values.BackPicture) {
        std::optional<std::string> picture = name ? name(values.BackPicture) : std::nullopt;
        // A name that would break the line form cannot be stored.
        if (picture && picture->find_first_of("\r\n") == std::string::npos) {
            bag.Append("backpicture", "@" + *picture);
        } else {
            unwritten.emplace_back("BackPicture");
        }
    }
    write("Enabled", BooleanText(values.Enabled), values.Enabled);
    write("Style", std::to_string(values.Style), values.Style == 0);
    write("cBackStyle", std::to_string(values.cBackStyle), values.cBackStyle == 1);
    write("Caption", Escape(values.Caption), values.Caption.empty());
    write("AutoSize", BooleanText(values.AutoSize), values.AutoSize);
    write("cFont", FontText(values.cFont), false);
    write("cDrawMode", std::to_string(values.cDrawMode), false);
    write("cForeColor", ColourText(values.cForeColor), false);
    return unwritten;
}

}  // namespace quorvel
