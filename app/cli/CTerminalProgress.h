#pragma once

#include <cstdio>
#include <string>

#include "Progress.h"

// A progress bar on standard error, drawn only when standard error is a
// terminal (so scripts and redirected output never see it) and redrawn only
// when the shown percentage changes. finish() clears the line.
class CTerminalProgress : public IProgress {
public:
    explicit CTerminalProgress(std::string label, std::FILE* terminal = stderr);
    ~CTerminalProgress() override;
    CTerminalProgress(const CTerminalProgress&) = delete;
    CTerminalProgress& operator=(const CTerminalProgress&) = delete;

    void setRange(int low, int high) override;
    int position() const override { return m_nPos; }
    void setPosition(int pos) override;

    void finish();

private:
    void draw();

    std::string m_strLabel;
    std::FILE* m_terminal; // null when the stream is no terminal
    int m_nLow = 0;
    int m_nHigh = 0;
    int m_nPos = 0;
    int m_nShownPercent = -1;
};
