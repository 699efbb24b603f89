#include "driver_choice.h"

#include <fstream>
#include <utility>
#include <vector>

namespace veldrak {
namespace {

// "61 : #FORM-P009#" gives ("61", "#FORM-P009#").
std::pair<std::string, std::string> SplitLine(std::string line) {
  if (!line.empty() && line.back() == '\r') line.pop_back();
  std::size_t colon = line.find(" : ");
  if (colon == std::string::npos || colon < 2) return {};
  return {line.substr(0, 2), line.substr(colon + 3)};
}

bool IsFormCode(const std::string& code, char letter) {
  return code.size() == 11 && code.rfind("#FORM-", 0) == 0 && code[6] == letter &&
         code.back() == '#';
}

}  // namespace

DriverChoice ReadDriverChoice(const std::string& driverFilePath) {
  DriverChoice choice;
  std::ifstream in(driverFilePath, std::ios::binary);
  if (!in) return choice;

  std::vector<std::string> portraits, landscapes;
  std::vector<std::pair<std::string, std::string>> fonts;  // (pitch name, code)
  std::string pitchName;
  for (std::string line; std::getline(in, line);) {
    auto [number, value] = SplitLine(line);
    if (number == "61" && IsFormCode(value, 'P')) portraits.push_back(value);
    if (number == "61" && IsFormCode(value, 'L')) landscapes.push_back(value);
    if (number == "80") pitchName = value;
    if (number == "81" && value.rfind("#FONT-", 0) == 0) fonts.emplace_back(pitchName, value);
  }

  auto prefer = [](const std::vector<std::string>& codes, const std::string& wanted) {
    for (const auto& code : codes) {
      if (code == wanted) return code;
    }
    return codes.front();
  };
  if (!portraits.empty()) choice.portraitForm = prefer(portraits, "#FORM-P009#");
  if (!landscapes.empty()) {
    choice.landscapeForm = prefer(landscapes, "#FORM-L" + choice.portraitForm.substr(7));
  }
  if (!fonts.empty()) {
    choice.bodyFont = fonts.front().second;
    choice.smallFont = fonts.back().second;
    for (const auto& [name, code] : fonts) {
      if (name == "VKCourier 12 cpi") choice.bodyFont = code;
      if (name == "VKCourier 15 cpi") choice.smallFont = code;
    }
  }
  choice.fromDriverFile = !portraits.empty() && !fonts.empty();
  return choice;
}

}  // namespace veldrak
