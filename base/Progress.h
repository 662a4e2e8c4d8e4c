#pragma once

// A progress indication with a settable range and a readable and settable
// position: the form's progress bar, the catalogue's loading dialog, a
// terminal bar or a test's recorder.
class IProgress {
public:
    virtual ~IProgress() = default;
    virtual void setRange(int low, int high) = 0;
    virtual int position() const = 0;
    virtual void setPosition(int pos) = 0;

    void advance(int by) { setPosition(position() + by); }
};

// A progress that shows nothing but keeps the arithmetic.
class CSilentProgress : public IProgress {
public:
    void setRange(int, int high) override { m_high = high; }
    int position() const override { return m_pos; }
    void setPosition(int pos) override { m_pos = pos; }
    int high() const { return m_high; }

private:
    int m_high = 0;
    int m_pos = 0;
};
