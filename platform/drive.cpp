// What every drive shares: a batch of pieces read one request at a time.
#include "platform/drive.h"

namespace platform {

size_t Drive::readPieces(std::span<const ReadPiece> pieces) {
    size_t whole = 0;
    for (const ReadPiece& piece : pieces) {
        if (readAt(piece.offset, piece.buffer, piece.count) != static_cast<int64_t>(piece.count)) break;
        ++whole;
    }
    return whole;
}

}  // namespace platform
