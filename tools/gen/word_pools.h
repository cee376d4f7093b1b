#pragma once
// The reference lists of a generated journal, composed from Ukrainian word
// pools. Every text fits its column and is unique within its list the way
// the server compares keys (letter case and trailing blanks ignored).

#include "tools/gen/journal_generator.h"
#include "tools/gen/random.h"

namespace testdata {

// Fills the six reference lists of the journal; larger journals get more
// organisations, places and notes.
void makeReferenceLists(Journal& journal, Random& rnd, int rows);

// The short name the record editor writes for an expert: "Surname N.F.".
QString expertShortName(const Expert& e);

// A document number such as "01-12/345" or "12-к"; now and then with a
// backslash.
QString documentNumber(Random& rnd);

// The text cut to the column width, without the trailing blanks a CHAR
// column drops.
QString fitColumn(const QString& text, int width);

}  // namespace testdata
