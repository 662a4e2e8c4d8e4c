#pragma once

#include <cstddef>
#include <string>
#include <vector>

// A reference set of realistic size for the benchmarks: the full ICD-10-CM
// catalogue (DefaultCatalogueTsvPath), DG1 rows for every code
// and a decision table of more than 2,000 rules, generated with a fixed seed.

struct Catalogue {
    std::vector<std::string> codes; // as displayed, with dots
    std::vector<std::string> texts;
};

Catalogue readCatalogue();

// Generates the set for cat and loads it, with the catalogue, into database
// on the private server (scripts/refdb load and load-icd10cm); prints the
// row counts.
void loadReferenceSet(const Catalogue& cat, const std::string& database);

// Catalogue entry i as the form holds it: code, blanks, text.
std::string entry(const Catalogue& cat, std::size_t i);
