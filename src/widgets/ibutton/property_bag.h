// A button's stored property bag: its text form, and the reading and writing
// of the nine persisted properties with their defaults.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/bitmap.h"
#include "base/colour.h"
#include "widgets/ibutton/ibutton_host.h"

namespace quorvel {

// The text form, UTF-8, one entry a line:
//   key=value
// Lines are separated by "\n"; a "\r" before the "\n" is dropped; blank lines
// and lines without "=" are skipped; the first "=" ends the key. Keys compare
// without regard to case and are written as they are held (the button writes
// lower case). Values are kept verbatim; typed values read as:
//   backpicture=@name                     a picture by its resource name
//   enabled=-1, autosize=0                Booleans as 16-bit integers, True = -1
//   cbackstyle=0, style=1, cdrawmode=13   16-bit decimal integers
//   caption=text                          the rest of the line, where the
//                                         pairs backslash-n, backslash-r and
//                                         backslash-backslash stand for a line
//                                         feed, a carriage return and a
//                                         backslash
//   cforecolor=0x80000012                 hexadecimal (0x) or decimal, 32 bits
//   cfont=宋体,9,400,0,0,0,134            face (escaped as a caption), points,
//                                         weight, italic, underline,
//                                         strikethrough, charset
// Other keys ("_extentx", "_extenty" of the host, or unknown ones) are kept and
// written back unchanged.
struct BagEntry {
    std::string key;
    std::string value;
    friend bool operator==(const BagEntry&, const BagEntry&) = default;
};

class PropertyBag {
public:
    static PropertyBag Parse(std::string_view text);
    std::string Serialize() const;

    // The value of the first entry with the key, or nullptr.
    const std::string* Find(std::string_view key) const;
    // Replaces the value of the first entry with the key, or appends one.
    void Set(std::string_view key, std::string value);
    void Append(std::string key, std::string value);
    // Removes every entry with the key.
    void Remove(std::string_view key);

    const std::vector<BagEntry>& Entries() const { return entries_; }

private:
    std::vector<BagEntry> entries_;
};

// Resource names to pictures (nullptr for an unknown name), and back (empty
// for a picture that has no name).
using PictureResolver = std::function<Picture(std::string_view name)>;
using PictureNamer = std::function<std::optional<std::string>(const Picture& picture)>;

// The nine persisted properties of a button. The member defaults are those of
// the bag; the last three default to what the surface has when it is read.
struct ButtonProperties {
    Picture BackPicture{};
    bool Enabled = true;
    int16_t cBackStyle = 1;
    std::u16string Caption{};
    int32_t Style = 0;
    bool AutoSize = true;
    Colour cForeColor = kSysButtonText;
    ButtonFont cFont{};
    int16_t cDrawMode = 13;
};

// Reads the nine keys in order. A missing key gives its default; so does a
// value that does not read as the key's type or lies outside its range, and
// the key's name is then added to rejected.
ButtonProperties ReadButtonProperties(const PropertyBag& bag,
                                      const SurfaceStyle& surface,
                                      const PictureResolver& resolve,
                                      std::vector<std::string>& rejected);

// Writes the nine entries in order, after the bag's other entries. An entry
// equal to its default is left out (and an old one removed); cFont, cDrawMode
// and cForeColor have no default and are always written. Returns the keys it
// could not write: a picture the namer has no name for.
std::vector<std::string> WriteButtonProperties(PropertyBag& bag,
                                               const ButtonProperties& values,
                                               const PictureNamer& name);

}  // namespace quorvel
