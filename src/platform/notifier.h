#pragma once
// Notices for the user where the desktop shows such things (the
// notification service of the session, the notification area): where print
// jobs went. A notice is never waited for, and a desktop that shows none
// loses nothing of the run.

#include <string>

namespace rizarode {

// Texts are 8-bit (Windows-1252); CR breaks lines, as in message boxes.
struct Notice {
  std::string title;
  std::string text;
  // A document the user may open from the notice (the desktop's viewer);
  // empty when there is none. As the file system names it.
  std::string file;
  // The labels of opening that document and of showing the status window.
  std::string openLabel;
  std::string statusWindowLabel;
};

class Notifier {
 public:
  virtual ~Notifier() = default;
  // Returns at once, whatever the desktop does with the notice.
  virtual void Show(const Notice& notice) = 0;
};

// For a platform that shows no notices.
class SilentNotifier : public Notifier {
 public:
  void Show(const Notice&) override {}
  static Notifier& Instance() {
    static SilentNotifier silent;
    return silent;
  }
};

}  // namespace rizarode
