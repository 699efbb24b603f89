#pragma once
// A message box in a process of the program's own that nobody waits for:
// the program's executable started again with the box's text and title in
// its environment (never on the command line, whose text belongs to the
// host application). Both systems' entry points ask first whether they were
// started so; the starting is each platform's own.

#include <optional>
#include <string>
#include <vector>

#include "platform/desktop.h"

namespace rizarode {

inline constexpr char kDetachedBoxText[] = "RIZARODE_NOTIFY_TEXT";
inline constexpr char kDetachedBoxTitle[] = "RIZARODE_NOTIFY_TITLE";

// Texts are 8-bit, CR breaks lines, as with every message box.
struct DetachedBox {
  std::string text;
  std::string title;
};

// The "NAME=value" entries that make a start of this program show the box.
std::vector<std::string> DetachedBoxEnvironment(const DetachedBox& box);

// Each system answers the box this start was made for, if any, with
// TakeDetachedBoxRequest(): the variables leave the process's environment
// there, so that nothing it starts shows the box again.

// Shows the box and answers the exit code of the start that shows it.
int ShowDetachedBox(Desktop& desktop, const DetachedBox& box);

}  // namespace rizarode
