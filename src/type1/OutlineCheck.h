#pragma once
#include <QByteArray>
#include <QString>

namespace qlk {

// Why the encrypted (eexec) part of a Type 1 font, binary or hex, is not
// whole, or the empty text: decrypted, it must read as text but for its
// binary strings, hold the private dictionary and at least one glyph
// outline, and reach "closefile". A part cut short or scrambled fails here
// though every segment header fits.
QString encryptedPartProblem(const QByteArray& encrypted);

// Why a PFB font would be refused by pdfTeX or dvips, judged from its
// bytes alone, or the empty text when they are sound: segment headers
// that fit the file, an encrypted (binary) part, a cleartext trailer with
// "cleartomark" after it, the end-of-file marker, and an encrypted part
// that decrypts whole (encryptedPartProblem). A PFA whose encrypted part is
// binary turns, through t1binary, into a PFB without that trailer.
QString pfbSegmentProblem(const QByteArray& data);

// The same for a PFB file on disk, and then t1disasm must read it to its
// end. The empty text when the font is sound.
QString outlineFontProblem(const QString& pfbPath);

// The message that stops a road at a damaged outline font: `shown` is the
// file the user gave (a dropped PFA rather than the PFB made from it).
QString damagedOutlineMessage(const QString& shown, const QString& problem);

} // namespace qlk
