#include "printing/notices.h"

#include <algorithm>
#include <optional>
#include <utility>

#include "platform/notifier.h"
#include "program/messages.h"
#include "program/program.h"

namespace rizarode {
namespace {

// A notice waits this many ticks for a further document, but its first
// waits no longer than the other number: a run that prints every second
// still hears of it.
constexpr int32_t kQuietTicks = 3;
constexpr int32_t kLongestWaitTicks = 15;

// The documents of one kind that one printer took, in the order in which
// the first of each went.
struct Group {
  Delivery::Kind kind;
  std::string printer;
  int count = 0;
  std::string files;
};

std::vector<Group> Grouped(const std::vector<Delivery>& deliveries) {
  std::vector<Group> groups;
  for (const Delivery& d : deliveries) {
    auto it = std::find_if(groups.begin(), groups.end(), [&](const Group& g) {
      return g.kind == d.kind && g.printer == d.printer;
    });
    if (it == groups.end()) it = groups.insert(groups.end(), Group{d.kind, d.printer, 0, {}});
    ++it->count;
    if (d.file.empty()) continue;
    if (!it->files.empty()) it->files += '\r';
    it->files += d.file;
  }
  return groups;
}

// The notice in the language of code for these documents and the jobs kept
// for the next start (kept), or nothing when there is nothing to tell.
std::optional<Notice> ComposeNotice(const std::string& code, const std::vector<Delivery>& deliveries,
                                    int kept) {
  std::vector<std::string> sentences;
  for (const Group& g : Grouped(deliveries)) {
    switch (g.kind) {
      case Delivery::Kind::kPrinted:
        sentences.push_back(PrintedNotice(code, g.count, g.printer));
        break;
      case Delivery::Kind::kSaved:
        sentences.push_back(SavedAsPdfNotice(code, g.count, g.files));
        break;
      case Delivery::Kind::kRefusedAndSaved:
        sentences.push_back(RefusedNotice(code, g.count, g.printer, g.files));
        break;
    }
  }
  if (kept > 0) sentences.push_back(KeptNotice(code, kept));
  if (sentences.empty()) return std::nullopt;
  Notice notice;
  notice.title = NoticeTitle(code);
  for (const std::string& sentence : sentences) {
    if (!notice.text.empty()) notice.text += '\r';
    notice.text += sentence;
  }
  // The latest document is the one the user most likely wants to see.
  for (const Delivery& d : deliveries) {
    if (!d.file.empty()) notice.file = d.file;
  }
  notice.openLabel = OpenPdfLabel(code);
  notice.statusWindowLabel = StatusWindowLabel(code);
  return notice;
}

void Send(Program& program, const std::vector<Delivery>& deliveries, int kept) {
  if (auto notice = ComposeNotice(program.state.languageCode, deliveries, kept)) {
    program.platform.notifier.Show(*notice);
  }
}

}  // namespace

void NoteDeliveries(Program& program, const std::vector<Delivery>& deliveries, int32_t tick) {
  if (deliveries.empty()) return;
  ModuleState& state = program.state;
  if (state.untoldDeliveries.empty()) state.firstUntoldTick = tick;
  state.lastUntoldTick = tick;
  state.untoldDeliveries.insert(state.untoldDeliveries.end(), deliveries.begin(), deliveries.end());
}

void SendDueNotice(Program& program, int32_t tick) {
  ModuleState& state = program.state;
  if (state.untoldDeliveries.empty()) return;
  if (int64_t{tick} - state.lastUntoldTick < kQuietTicks &&
      int64_t{tick} - state.firstUntoldTick < kLongestWaitTicks) {
    return;
  }
  Send(program, std::exchange(state.untoldDeliveries, {}), 0);
}

void SendLastNotice(Program& program, int kept) {
  Send(program, std::exchange(program.state.untoldDeliveries, {}), kept);
}

}  // namespace rizarode
