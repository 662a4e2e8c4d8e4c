#pragma once

#include <string>

// The program's string table: every message the user reads comes from here,
// by its resource id. Texts are Windows-1252.
enum StringId : int {
    IDR_MAINFRAME = 128,             // document string: "Vesmar\npatient\n..."
    ID_CONFIGURATION = 32771,        // menu prompt of Edit > Configuration
    IDS_REGISTRY_WRITE_FAILED = 32772,
    IDS_VALIDATE_DATES = 32773,
    IDS_CONNECTION_FAILED = 32775,
    IDS_NO_PRINTER = 32790,          // printing from the command line without a printer
    IDS_PRINT_FAILED = 32791,
    // The dialogs' and the form's own texts (captions, labels, buttons).
    IDS_ABOUT_CAPTION = 33001,
    IDS_ABOUT_VERSION = 33002,       // "Vesmar Version " and the program's version
    IDS_ABOUT_NOTE = 33003,
    IDS_BUTTON_OK = 33004,
    IDS_BUTTON_CANCEL = 33005,
    IDS_CONFIG_CAPTION = 33006,
    IDS_CONFIG_HOST = 33007,
    IDS_CONFIG_USER = 33008,
    IDS_CONFIG_PASSWORD = 33009,
    IDS_LOADING_TEXT = 33010,
    IDS_BULKFETCH_FAILED = 33011,
    IDS_FORM_TO_BI = 33020,
    IDS_FORM_FROM_BI = 33021,
    IDS_FORM_PROCESS = 33022,
    IDS_FORM_MALE = 33023,
    IDS_FORM_FEMALE = 33024,
    IDS_FORM_DISCHARGE = 33025,
    IDS_FORM_BI_ONLY = 33026,
    IDS_FORM_DURATION = 33027,
    IDS_FORM_BIRTHDATE = 33028,
    IDS_FORM_ADMISSION = 33029,
    IDS_FORM_BIRTH_SHOWN = 33030,    // the birth date's text before anything is typed
    IDS_FORM_ADMISSION_SHOWN = 33031,
    IDS_FORM_GENDER = 33032,
    IDS_FORM_CHOSEN = 33033,
    IDS_FORM_ICD10 = 33034,
    IDS_FORM_SEARCH = 33035,
    IDS_FORM_RESULT = 33036,
    IDS_FORM_ADMISSION_TODAY = 33037,
    IDS_FORM_BIRTH_PROMPT = 33038,   // shown while the birth date's text is not a date
    IDS_FORM_ADMISSION_PROMPT = 33039,
    IDS_DISCHARGE_NONE = 33040,      // the discharge combo box's four items
    IDS_DISCHARGE_EXITUS = 33041,
    IDS_DISCHARGE_REMISSION = 33042,
    IDS_DISCHARGE_LEFT = 33043,
    AFX_IDS_APP_TITLE = 57344,
    AFX_IDS_IDLEMESSAGE = 57345,
    ID_FILE_NEW = 57600,
    ID_FILE_OPEN = 57601,
    ID_FILE_SAVE = 57603,
    ID_FILE_SAVE_AS = 57604,
    ID_FILE_PRINT = 57607,
    ID_EDIT_COPY = 57634,
    ID_EDIT_CUT = 57635,
    ID_EDIT_PASTE = 57637,
    ID_EDIT_UNDO = 57643,
    ID_APP_ABOUT = 57664,
    ID_APP_EXIT = 57665,
    ID_NEXT_PANE = 57680,
    ID_PREV_PANE = 57681,
    ID_INDICATOR_CAPS = 59137,
    ID_INDICATOR_NUM = 59138,
    ID_INDICATOR_SCRL = 59139,
    AFX_IDP_FAILED_TO_OPEN_DOC = 61697,
    AFX_IDP_FAILED_TO_SAVE_DOC = 61698,
    AFX_IDP_ASK_TO_SAVE = 61699,
    AFX_IDP_UNREG_DONE = 61707,
    AFX_IDP_UNREG_FAILURE = 61708,
    AFX_IDP_FILE_GENERIC = 61729,
    AFX_IDP_FILE_NOT_FOUND = 61730,
    AFX_IDP_FILE_BAD_PATH = 61731,
    AFX_IDP_FILE_TOO_MANY_OPEN = 61732,
    AFX_IDP_FILE_ACCESS_DENIED = 61733,
    AFX_IDP_FILE_INVALID_FILE = 61734,
    AFX_IDP_FILE_DIR_FULL = 61736,
    AFX_IDP_FILE_BAD_SEEK = 61737,
    AFX_IDP_FILE_HARD_IO = 61738,
    AFX_IDP_FILE_SHARING = 61739,
    AFX_IDP_FILE_LOCKING = 61740,
    AFX_IDP_FILE_DISKFULL = 61741,
    AFX_IDP_FILE_EOF = 61742,
    AFX_IDP_ARCH_BADFORMAT = 61761,
};

// The text of id; the empty text for an id the table does not hold.
const std::string& LoadString(int id);

// The first line of a command's string: its status-bar prompt.
std::string CommandPrompt(int id);

// %1 in text replaced by arg (the file-error and save-question texts).
std::string FormatString1(int id, const std::string& arg);
