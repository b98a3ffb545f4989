#include "web/PageSeam.hpp"

#include <nlohmann/json.hpp>

#include "transcript/Contract.hpp"

std::string PageSeam::described() {
    return nlohmann::json{
        {"streams", {{"output", standardOutput}, {"errors", standardError}, {"trace", trace}}},
        {"holds",
         {{"redraw", redraw},
          {"glimpse", glimpse},
          {"keep", keep},
          {"next", next},
          {"nowhere", nowhere}}},
        {"stopped", {{"status", stoppedStatus}, {"words", stoppedWords}}},
        {"prompts",
         {{"elementStart", Contract::elementPromptStart},
          {"elementEnd", Contract::elementPromptEnd},
          {"target", Contract::targetPrompt}}}}
        .dump();
}
