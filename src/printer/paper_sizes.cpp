#include "printer/paper_sizes.h"

#include <algorithm>
#include <array>

namespace rizarode {
namespace {

constexpr int32_t In(double inches) { return static_cast<int32_t>(inches * 25400 + 0.5); }
constexpr int32_t Mm(double mm) { return static_cast<int32_t>(mm * 1000 + 0.5); }

// Width and height as the numbering defines them: Ledger and the US fanfold
// are wider than high, like their names say.
constexpr std::array<PaperSizeInfo, 46> kPaperSizes{{
    {1, In(8.5), In(11), "na_letter_8.5x11in"},
    {2, In(8.5), In(11), "na_letter_8.5x11in"},
    {3, In(11), In(17), "na_ledger_11x17in"},
    {4, In(17), In(11), "na_ledger_11x17in"},
    {5, In(8.5), In(14), "na_legal_8.5x14in"},
    {6, In(5.5), In(8.5), "na_invoice_5.5x8.5in"},
    {7, In(7.25), In(10.5), "na_executive_7.25x10.5in"},
    {8, Mm(297), Mm(420), "iso_a3_297x420mm"},
    {9, Mm(210), Mm(297), "iso_a4_210x297mm"},
    {10, Mm(210), Mm(297), "iso_a4_210x297mm"},
    {11, Mm(148), Mm(210), "iso_a5_148x210mm"},
    {12, Mm(257), Mm(364), "jis_b4_257x364mm"},
    {13, Mm(182), Mm(257), "jis_b5_182x257mm"},
    {14, In(8.5), In(13), "na_foolscap_8.5x13in"},
    {15, Mm(215), Mm(275), "om_quarto_215x275mm"},
    {16, In(10), In(14), "na_10x14_10x14in"},
    {17, In(11), In(17), "na_ledger_11x17in"},
    {18, In(8.5), In(11), "na_letter_8.5x11in"},
    {19, In(3.875), In(8.875), "na_number-9_3.875x8.875in"},
    {20, In(4.125), In(9.5), "na_number-10_4.125x9.5in"},
    {21, In(4.5), In(10.375), "na_number-11_4.5x10.375in"},
    {22, In(4.75), In(11), "na_number-12_4.75x11in"},
    {23, In(5), In(11.5), "na_number-14_5x11.5in"},
    {24, In(17), In(22), "na_c_17x22in"},
    {25, In(22), In(34), "na_d_22x34in"},
    {26, In(34), In(44), "na_e_34x44in"},
    {27, Mm(110), Mm(220), "iso_dl_110x220mm"},
    {28, Mm(162), Mm(229), "iso_c5_162x229mm"},
    {29, Mm(324), Mm(458), "iso_c3_324x458mm"},
    {30, Mm(229), Mm(324), "iso_c4_229x324mm"},
    {31, Mm(114), Mm(162), "iso_c6_114x162mm"},
    {32, Mm(114), Mm(229), "iso_c6c5_114x229mm"},
    {33, Mm(250), Mm(353), "iso_b4_250x353mm"},
    {34, Mm(176), Mm(250), "iso_b5_176x250mm"},
    {35, Mm(176), Mm(125), "iso_b6_125x176mm"},
    {36, Mm(110), Mm(230), "om_italian_110x230mm"},
    {37, In(3.875), In(7.5), "na_monarch_3.875x7.5in"},
    {38, In(3.625), In(6.5), "na_personal_3.625x6.5in"},
    {39, In(14.875), In(11), "na_fanfold-us_11x14.875in"},
    {40, In(8.5), In(12), "na_fanfold-eur_8.5x12in"},
    {41, In(8.5), In(13), "na_foolscap_8.5x13in"},
    {42, Mm(250), Mm(353), "iso_b4_250x353mm"},
    {43, Mm(100), Mm(148), "jpn_hagaki_100x148mm"},
    {66, Mm(420), Mm(594), "iso_a2_420x594mm"},
    {70, Mm(105), Mm(148), "iso_a6_105x148mm"},
    {kPaperFanfold12Inch, In(8.5), In(12), "na_fanfold-eur_8.5x12in"},
}};

}  // namespace

std::span<const PaperSizeInfo> AllPaperSizes() { return kPaperSizes; }

const PaperSizeInfo* FindPaperSize(int16_t number) {
  auto it = std::lower_bound(
      kPaperSizes.begin(), kPaperSizes.end(), number,
      [](const PaperSizeInfo& p, int16_t n) { return p.number < n; });
  return it != kPaperSizes.end() && it->number == number ? &*it : nullptr;
}

}  // namespace rizarode
