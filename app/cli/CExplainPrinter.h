#pragma once

#include <ostream>

#include "EngineObserver.h"

// group --explain: prints each pass of the engine as it ends, so a coder
// sees what the reference data said about the case and which rule decided.
class CExplainPrinter : public IEngineObserver {
public:
    explicit CExplainPrinter(std::ostream& out) : m_out(out) {}

    void passFinished(const CPassTrace& trace) override;

private:
    std::ostream& m_out;
    int m_nPass = 0;
};
