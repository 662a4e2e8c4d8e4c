#include "StringTable.h"

#include <map>

namespace {

const std::map<int, std::string>& table()
{
    // Command strings hold the status-bar prompt, a line feed and the tool tip.
    static const std::map<int, std::string> strings = {
        {IDR_MAINFRAME, "Vesmar\npatient\nVesmar-document\nVesmar-Files (*.drg)\n.drg\nVesmar.Document\nVesmar document"},
        {ID_CONFIGURATION, "Configure the databaseconnection"},
        {IDS_REGISTRY_WRITE_FAILED, "Error: Could not save to the registry"},
        {IDS_VALIDATE_DATES, "Validate the birth- and admissiondate"},
        {IDS_CONNECTION_FAILED, "A connection could not be opened to the database.\n\nContact the system administrator."},
        {IDS_NO_PRINTER, "No printer is available: %1 was not printed."},
        {IDS_PRINT_FAILED, "%1 could not be printed."},
        {IDS_ABOUT_CAPTION, "About Vesmar"},
        {IDS_ABOUT_VERSION, "Vesmar Version " VESMAR_VERSION},
        {IDS_ABOUT_NOTE, "Groups inpatient cases into DRGs"},
        {IDS_BUTTON_OK, "OK"},
        {IDS_BUTTON_CANCEL, "Cancel"},
        {IDS_CONFIG_CAPTION, "Configuration"},
        {IDS_CONFIG_HOST, "Database-host:"},
        {IDS_CONFIG_USER, "Username:"},
        {IDS_CONFIG_PASSWORD, "Password:"},
        {IDS_LOADING_TEXT, "  Loading diagnoses. \nThis may take a while"},
        {IDS_BULKFETCH_FAILED, "BulkFetch failed"},
        {IDS_FORM_TO_BI, "->"},
        {IDS_FORM_FROM_BI, "<-"},
        {IDS_FORM_PROCESS, "Process"},
        {IDS_FORM_MALE, "Male"},
        {IDS_FORM_FEMALE, "Female"},
        {IDS_FORM_DISCHARGE, "Discharge:"},
        {IDS_FORM_BI_ONLY, "Diagnoses that can only be bidiagnoses"},
        {IDS_FORM_DURATION, "Duration in days:"},
        {IDS_FORM_BIRTHDATE, "Birthdate:"},
        {IDS_FORM_ADMISSION, "Admission:"},
        {IDS_FORM_BIRTH_SHOWN, "ID_DATEOFBIRTH_STATIC"},
        {IDS_FORM_ADMISSION_SHOWN, "Date of admission"},
        {IDS_FORM_GENDER, "Gender:"},
        {IDS_FORM_CHOSEN, "Chosen diagnoses"},
        {IDS_FORM_ICD10, "ICD-10"},
        {IDS_FORM_SEARCH, "Search"},
        {IDS_FORM_RESULT, "Result"},
        {IDS_FORM_ADMISSION_TODAY, "Admissiondate set to today"},
        {IDS_FORM_BIRTH_PROMPT, "Date of birth"},
        {IDS_FORM_ADMISSION_PROMPT, "Admissiondate"},
        {IDS_DISCHARGE_NONE, " Not Discharged?"},
        {IDS_DISCHARGE_EXITUS, "E - Exitus"},
        {IDS_DISCHARGE_REMISSION, "R - Remission"},
        {IDS_DISCHARGE_LEFT, "L - Left against medical advice"},
        {AFX_IDS_APP_TITLE, "Vesmar"},
        {AFX_IDS_IDLEMESSAGE, "Ready"},
        {ID_FILE_NEW, "Create a new document\nNew"},
        {ID_FILE_OPEN, "Open an existing document\nOpen"},
        {ID_FILE_SAVE, "Save the active document\nSave"},
        {ID_FILE_SAVE_AS, "Save the active document with a new name\nSave As"},
        {ID_FILE_PRINT, "Print the active document\nPrint"},
        {ID_EDIT_COPY, "Copy the selection and put it on the Clipboard\nCopy"},
        {ID_EDIT_CUT, "Cut the selection and put it on the Clipboard\nCut"},
        {ID_EDIT_PASTE, "Insert Clipboard contents\nPaste"},
        {ID_EDIT_UNDO, "Undo the last action\nUndo"},
        {ID_APP_ABOUT, "Display program information, version number and copyright\nAbout"},
        {ID_APP_EXIT, "Quit the application; prompts to save documents\nExit"},
        {ID_NEXT_PANE, "Switch to the next window pane\nNext Pane"},
        {ID_PREV_PANE, "Switch back to the previous window pane\nPrevious Pane"},
        {ID_INDICATOR_CAPS, "CAP"},
        {ID_INDICATOR_NUM, "NUM"},
        {ID_INDICATOR_SCRL, "SCRL"},
        {AFX_IDP_FAILED_TO_OPEN_DOC, "Failed to open document."},
        {AFX_IDP_FAILED_TO_SAVE_DOC, "Failed to save document."},
        {AFX_IDP_ASK_TO_SAVE, "Save changes to %1?"},
        {AFX_IDP_UNREG_DONE, "System registry entries have been removed and the INI file (if any) was deleted."},
        {AFX_IDP_UNREG_FAILURE, "Not all of the system registry entries (or INI file) were removed."},
        {AFX_IDP_FILE_GENERIC, "An unknown error occurred while accessing %1."},
        {AFX_IDP_FILE_NOT_FOUND, "%1 was not found."},
        {AFX_IDP_FILE_BAD_PATH, "%1 contains an invalid path."},
        {AFX_IDP_FILE_TOO_MANY_OPEN, "%1 could not be opened because there are too many open files."},
        {AFX_IDP_FILE_ACCESS_DENIED, "Access to %1 was denied."},
        {AFX_IDP_FILE_INVALID_FILE, "An invalid file handle was associated with %1."},
        {AFX_IDP_FILE_DIR_FULL, "%1 could not be created because the directory is full."},
        {AFX_IDP_FILE_BAD_SEEK, "Seek failed on %1"},
        {AFX_IDP_FILE_HARD_IO, "A hardware I/O error was reported while accessing %1."},
        {AFX_IDP_FILE_SHARING, "A sharing violation occurred while accessing %1."},
        {AFX_IDP_FILE_LOCKING, "A locking violation occurred while accessing %1."},
        {AFX_IDP_FILE_DISKFULL, "Disk full while accessing %1."},
        {AFX_IDP_FILE_EOF, "An attempt was made to access %1 past its end."},
        {AFX_IDP_ARCH_BADFORMAT, "Unexpected file format."},
    };
    return strings;
}

} // namespace

const std::string& LoadString(int id)
{
    static const std::string empty;
    auto it = table().find(id);
    return it == table().end() ? empty : it->second;
}

std::string CommandPrompt(int id)
{
    const std::string& s = LoadString(id);
    return s.substr(0, s.find('\n'));
}

std::string FormatString1(int id, const std::string& arg)
{
    std::string s = LoadString(id);
    auto pos = s.find("%1");
    if (pos != std::string::npos)
        s.replace(pos, 2, arg);
    return s;
}
