// Windows made before the program asks for them: hidden and nameless, made
// once the first window is on the screen, and handed over when the program
// asks for a window of that layout. Shared by the backends, each with its
// own kind of window (one that has Layout() and HandOver()).
#pragma once

#include <algorithm>
#include <exception>
#include <memory>
#include <utility>
#include <vector>

#include "layouts/layout.h"

namespace quorvel {

template <typename Form>
class MadeAhead {
public:
    void Plan(const layouts::FormSpec& form) { planned_.push_back(&form); }

    // Makes the planned windows with make(form); one that fails is reported
    // with report(where, what) and made when it is asked for instead.
    template <typename Make, typename Report>
    void MakePlanned(Make make, Report report) {
        for (const layouts::FormSpec* form : std::exchange(planned_, {})) {
            try {
                made_.push_back(make(*form));
            } catch (const std::exception& e) {
                report("making a window ahead", e.what());
            }
        }
    }

    // The window made ahead for this layout, handed over; none if there is
    // none.
    std::unique_ptr<Form> Take(const layouts::FormSpec& form) {
        const auto it = std::find_if(made_.begin(), made_.end(),
                                     [&form](const auto& window) { return &window->Layout() == &form; });
        if (it == made_.end()) return nullptr;
        std::unique_ptr<Form> window = std::move(*it);
        made_.erase(it);
        window->HandOver();
        return window;
    }

private:
    std::vector<const layouts::FormSpec*> planned_;
    std::vector<std::unique_ptr<Form>> made_;
};

}  // namespace quorvel
