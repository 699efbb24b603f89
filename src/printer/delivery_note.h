#pragma once
// What the print service says of the documents it was given: where each
// went, and whether it is waited for.

#include <vector>

#include "printer/printer.h"

namespace rizarode {

class DeliveryNote {
 public:
  virtual ~DeliveryNote() = default;
  // Where each document ended since the last call went, in order.
  virtual std::vector<Delivery> TakeDeliveries() = 0;
  // See Printer::ExpectAnswersAgain.
  virtual void ExpectAnswersAgain() = 0;
};

}  // namespace rizarode
