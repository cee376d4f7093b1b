#pragma once
// A login dialog for tests: answers every showing with `answer` (nullopt:
// cancelled) and records the presets it was shown with.

#include "core/login_types.h"

#include <optional>
#include <vector>

namespace testing_support {

class ScriptedLogin : public core::LoginDialog {
  public:
    std::optional<core::LoginAnswer> answer;
    std::vector<core::LoginPreset> presets;
    std::optional<core::LoginAnswer> ask(const core::LoginPreset& preset) override {
        presets.push_back(preset);
        return answer;
    }
};

}  // namespace testing_support
