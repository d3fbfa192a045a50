#pragma once

namespace qlk {

// The impermanent personal tree TEXMFVAR (texmfVar): the personal output
// maps updmap-user makes, and what some tools install there.

// Deletes TEXMFVAR with everything in it and creates it again empty, after
// a question. Refuses a TEXMFVAR that does not lie inside the home folder.
void resetTexmfVar();
// Deletes every file below TEXMFVAR and keeps its folders; with `ask`, only
// after a question. False when the answer was No.
bool clearTexmfVar(bool ask);

} // namespace qlk
