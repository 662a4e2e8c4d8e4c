#pragma once

#include <functional>
#include <memory>
#include <string>

class CDatabase;
class CStringList;
class IMessageSink;
class IProgress;

// One catalogue entry: the code, 7 blanks after a code of exactly 3
// characters and 4 after any other, then the text; nothing trimmed.
std::string CatalogueEntry(const std::string& code, const std::string& text);

// Reads the whole icd table into icdList, in the server's order, through a
// bulk cursor: a counting pass, a rewind, a filling pass. makeProgress
// creates (and shows) the progress indication before the first pass; it is
// given the range 0..rows, advanced by one per entry, and destroyed after
// the filling pass. When the cursor cannot be opened, or a database error
// occurs during the passes, the user is told "BulkFetch failed" and then the
// error's text, icdList is left as it was (never a half-loaded catalogue)
// and the result is false.
bool LoadCatalogue(CDatabase& db, CStringList& icdList, IMessageSink& sink,
                   const std::function<std::unique_ptr<IProgress>()>& makeProgress);
