// The five settings entries: application names "text1" to "text5", section
// "APP", key "TEXT", each holding the text of the setup window's field of the
// same number.
#pragma once

#include <string_view>

#include "platform/toolkit.h"

namespace quorvel {

inline constexpr std::u16string_view kSettingsSection = u"APP";
inline constexpr std::u16string_view kSettingsKey = u"TEXT";

// The refill idiom: the field receives its stored entry, with its own text as
// the default, so an absent entry leaves it as it was.
inline void Refill(Toolkit& toolkit, TextBox& field, std::u16string_view application) {
    field.SetText(toolkit.StoreLoad(application, kSettingsSection, kSettingsKey, field.Text()));
}

inline void Save(Toolkit& toolkit, TextBox& field, std::u16string_view application) {
    toolkit.StoreSave(application, kSettingsSection, kSettingsKey, field.Text());
}

}  // namespace quorvel
