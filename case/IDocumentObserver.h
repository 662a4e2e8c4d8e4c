#pragma once

// Told by CDocManager when the case on screen must follow the document.
class IDocumentObserver {
public:
    virtual ~IDocumentObserver() = default;
    // The case was replaced: after New, after a successful Open, and after an
    // Open that failed once reading had started (the case is then reset as by
    // New). The form refills itself from the document.
    virtual void caseReplaced() = 0;
    // The document's title may have changed (New, Open, Save, Save As): the
    // main window's caption is the title, " - " and "Vesmar".
    virtual void titleChanged() = 0;
};
