#pragma once
// What a printer needs of the machine to put pages on paper, in four
// parts: what the device offers, the faces it has, the pages it draws,
// and the print service's note of where documents went. Everything else a
// printer does (where text goes, when a page ends, how wide a character
// is, which faces it keeps) is the printer's own and the same on every
// system (PagePrinter).

#include "printer/delivery_note.h"
#include "printer/face_provider.h"
#include "printer/page_target.h"
#include "printer/printer_capabilities.h"

namespace rizarode {

// The parts as the printer reaches them.
struct PageDeviceParts {
  PrinterCapabilities& capabilities;
  FaceProvider& faces;
  PageTarget& pages;
  DeliveryNote& note;
};

// A device whose one object is all four parts, as a system's printer
// interface makes it.
class PageDevice : public PrinterCapabilities,
                   public FaceProvider,
                   public PageTarget,
                   public DeliveryNote {
 public:
  PageDeviceParts Parts() { return {*this, *this, *this, *this}; }
};

}  // namespace rizarode
