// ReadFitsheader: the header cards of a FITS file without its pixels, used to
// sort and check the files of a series.
#include "image/BinaryFile.h"
#include "image/FitsHeader.h"

namespace vargaze {

namespace {

bool blockHasEnd(const FitsHeader& cards, int block) {
  const int first = block * kFitsCardsPerBlock + 1;
  for (int n = first; n < first + kFitsCardsPerBlock; ++n) {
    if (cards.card(n).substr(0, 8) == "END     ") return true;
  }
  return false;
}

}  // namespace

void ReadFitsheader(const std::string& filename, FitsHeader& header) {
  header.fillBlank();
  BinaryFile in;
  std::string error;
  if (!in.open(filename, error)) return;  // missing, unreadable, or a pipe that would block

  // The store has room for exactly 40 blocks, so nothing in the file decides
  // how much is read.
  FitsHeader cards;
  cards.fillBlank();
  for (int block = 0; block < kFitsMaxHeaderBlocks; ++block) {
    char* target = cards.data() + static_cast<std::size_t>(block) * kFitsBlockSize;
    if (!in.readAt(std::int64_t{block} * kFitsBlockSize, target, kFitsBlockSize)) return;
    if (block == 0 && cards.card(1).substr(0, 8) != "SIMPLE  ") return;
    if (blockHasEnd(cards, block)) {
      header = cards;
      return;
    }
  }
  // No END within 40 blocks: not a header we can use.
}

}  // namespace vargaze
