#pragma once

#include <string>

// Where the report finds a DRG's English name and weight. The window and the
// command-line tool use CDRGLookup on a cursor of the shared connection.
class IDRGLookup {
public:
    virtual ~IDRGLookup() = default;
    // The name as stored (NULL: empty). A DRG without a row is a database error.
    virtual std::string LookupDRGName(const std::string& drg) = 0;
    // weightCode is WeightCode(drg). The stored text read with atof rules
    // (NULL: 0.0). A code without a row is a database error.
    virtual double LookupDRGWeight(const std::string& weightCode) = 0;
};
