#pragma once
// Every message text that depends on the language code, and the patterns by
// which a message picks Dutch, German or English. Texts are 8-bit
// (Windows-1252); "\r" is the single CR on which message boxes break lines.

#include <optional>
#include <string>

#include "platform/process_launcher.h"

namespace rizarode {

enum class Language { kDutch, kGerman, kEnglish };

// Pattern 1: "NL"/"ORV" Dutch, else "D" German, else English.
Language MessageLanguage1(const std::string& code);
// Pattern 2: "NL"/"ORV"/"F" Dutch, "D" German, "GB" English, else none.
std::optional<Language> MessageLanguage2(const std::string& code);
// Pattern 3: as pattern 2 but "F" (and unknown codes) give nothing.
std::optional<Language> MessageLanguage3(const std::string& code);
// Pattern 4: true for "D" only (German form suffixes).
bool UsesGermanFormNames(const std::string& code);

// Initializing status; nothing for "F".
std::optional<std::string> InitializingStatus(const std::string& code);
std::string DriverRefusalReport(const std::string& code);
// The driver file's name is a symbolic link, which the program does not
// write through.
std::string DriverLinkMessage(const std::string& code, const std::string& path);
// The driver file cannot be written: its path and why, as the system says.
std::string DriverWriteFailureMessage(const std::string& code, const std::string& path,
                                      const std::string& cause);
std::string StartFailureMessage(const std::string& code);
// The host application is not in the directory the program was started in:
// the start-failure message in the run's language, then, in the language
// the user reads (userCode), where the program looked and how to start it
// in the host's directory, which depends on how the program was installed
// (the system's package, or the program's own installer).
std::string HostMissingMessage(const std::string& code, const std::string& userCode,
                               const std::string& directory, EmulatorSource source);
// The host is a DOS program, this system runs it only in DOSBox, DOSBox was
// not found in any of the places (one a line), and how to get it: from the
// system's package, or from the program's installer, whose component it is.
std::string DosEmulatorMissingMessage(const std::string& code, const std::string& places,
                                      EmulatorSource source);
// Close refusal of the status window; nothing before the language is known.
std::optional<std::string> CloseRefusalMessage(const std::string& code);
std::string NoPrinterMessage(const std::string& code);
// A print job that the printer refused went into a file instead; note says
// which.
std::string SavedJobMessage(const std::string& code, const std::string& note);
// The run ends with jobs not printed: how many, where they wait, that the
// next start prints them, and why they could not be printed (the system's
// words; empty when they were not tried).
std::string KeptJobsMessage(const std::string& code, int count, const std::string& directory,
                            const std::string& why = {});
// A print file that ends short of its job's end is kept, never printed.
std::string CutJobMessage(const std::string& code, const std::string& keptAs);
// Printed files that could be neither deleted nor renamed (one a line,
// each ending in CR): they stay, and the next start does not print them.
std::string PrintedFileStaysMessage(const std::string& code, const std::string& paths);
// A run of the user's is active in this host directory already, so no second
// host is started; inFront: its window has been brought to the front.
std::string AlreadyRunningMessage(const std::string& code, const std::string& directory,
                                  bool inFront);
// The notice of where print jobs went (pattern 1): its title, a sentence
// for each kind of outcome, counted in documents, and the labels of its
// actions. files: one path a line, CR between them.
std::string NoticeTitle(const std::string& code);
std::string PrintedNotice(const std::string& code, int count, const std::string& printer);
std::string SavedAsPdfNotice(const std::string& code, int count, const std::string& files);
std::string RefusedNotice(const std::string& code, int count, const std::string& printer,
                          const std::string& files);
std::string KeptNotice(const std::string& code, int count);
std::string OpenPdfLabel(const std::string& code);
std::string StatusWindowLabel(const std::string& code);
std::string RestartTitle(const std::string& code);
std::string RestartMessage(const std::string& code);

}  // namespace rizarode
