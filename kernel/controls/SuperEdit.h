// CSuperEdit: a single-line edit that validates its text as it is typed and shows the verdict
// as its background: a character class (VVEset) with the characters allowed in it and, for the
// numeric classes, the natural range of the 32-bit number type; a minimum and maximum length; a
// minimum, maximum and default value; and, optionally, the parent deciding (custom validation).
//
// Messages to the parent, both sent with a blocking one-millisecond time-out (the parent is
// normally on the same thread, where the time-out does not apply):
//   WM_VVE_VALIDATE (0x8001): wParam -> VVEINFO {field, control id, current state}, lParam -> the
//     text (GBK, zero-terminated). The result is the new state (see the custom validation rules in
//     Validate); 0, no answer or a time-out leave the decision to the field.
//   WM_VVE_VALIDCHANGE (0x8002): wParam -> VVEINFO, lParam the new validity (0 or 1), each time it
//     changes. The result is ignored.
//
// The checks are pure functions of the text and the settings; ValidateText runs them on any text
// without touching the window or the heap.
#pragma once

#include "mfc/Edit.h"
#include "mfc/GdiWrappers.h"
#include "mfc/ToolTipCtrl.h"

enum VVEset : int {
    VVE_CUSTOM = 0,  // the characters given with it
    VVE_ANY = 1,     // every character (also any value not listed here)
    VVE_ALNUM = 2,   // blank, letters, digits
    VVE_ALPHA = 3,   // blank, letters
    VVE_UINT = 4,    // 0 .. 4294967295
    VVE_SINT = 5,    // -2147483648 .. 2147483647
    VVE_HEX = 6,     // at most 8 significant digits
    VVE_OCT = 7,     // at most "37777777777"
    VVE_BIN = 8,     // at most 32 significant digits
    VVE_FLOAT = 9,   // a finite double
};

// The validation states; SetBrushColour and GetBrushColour take them to name a brush.
enum VVEbrush : int {
    VVE_EMPTY_ERROR = 0,    // empty and empty text not accepted (error brush)
    VVE_EMPTY_OK = 1,       // empty and accepted (normal brush)
    VVE_VALID = 2,          // valid (valid brush)
    VVE_BAD_CHAR = 3,       // a character outside the class, or a misplaced sign (error brush)
    VVE_INCOMPLETE = 4,     // a number not yet complete (warning brush)
    VVE_TOO_SHORT = 5,      // warning brush
    VVE_TOO_LONG = 6,       // warning brush
    VVE_TYPE_RANGE = 7,     // outside the natural range of the class (warning brush)
    VVE_BELOW_MIN = 8,      // error brush
    VVE_ABOVE_MAX = 9,      // error brush
    VVE_CUSTOM_ERROR1 = 10, // decided by the parent (custom brush 1)
    VVE_CUSTOM_ERROR2 = 11, // decided by the parent (custom brush 2)
};

#define WM_VVE_VALIDATE 0x8001
#define WM_VVE_VALIDCHANGE 0x8002

// Commands the field carries out when they are routed to it.
#define ID_VVE_UNDO 0x8005
#define ID_VVE_CUT 0x8006
#define ID_VVE_COPY 0x8007
#define ID_VVE_PASTE 0x8008
#define ID_VVE_CLEAR 0x8009
#define ID_VVE_SELECTALL 0x800A

struct VVEINFO {
    HWND hWnd;
    UINT nID;
    int state;
};

class CSuperEdit : public CEdit {
public:
    CSuperEdit();
    ~CSuperEdit() override;

    // Configuration.
    void SetValidCharSet(VVEset set, const char* chars = nullptr);
    void SetValidChars(const char* chars);
    void GetValidChars(CString& chars) const;
    void SetValidSet(VVEset set) { validSet = set; }
    VVEset GetValidSet() const { return validSet; }
    void SetTextLenMinMax(int min, int max);
    int GetTextMinLen() const { return minLen; }
    int GetTextMaxLen() const { return maxLen; }
    void SetAllValue(double defaultValue, double min, double max);
    void GetAllValue(double& defaultValue, double& min, double& max) const;
    void SetInputFloat(double defaultValue, double min, double max, int emptyValid, int tipEnabled, const char* tip);
    void SetInputSInt(int defaultValue, int min, int max, int emptyValid, int tipEnabled, const char* tip);
    void SetInputInt(int defaultValue, int min, int max, int emptyValid, int tipEnabled, const char* tip);
    void SetInputFloatSim(double defaultValue, int emptyValid, int tipEnabled, const char* tip);
    void SetInputSIntSim(int defaultValue, int emptyValid, int tipEnabled, const char* tip);
    void SetInputIntSim(int defaultValue, int emptyValid, int tipEnabled, const char* tip);
    void SetEnableRangeCheck(int on) { rangeCheck = on; }
    int GetEnableRangeCheck() const { return rangeCheck; }
    void SetEnableLengthCheck(int on) { lengthCheck = on; }
    int GetEnableLengthCheck() const { return lengthCheck; }
    void SetEableValueCheck(int on) { valueCheck = on; }
    int GetEableValueCheck() const { return valueCheck; }
    void SetAllCharEntry(int on) { allCharEntry = on; }
    int GetAllCharEntry() const { return allCharEntry; }
    void SetEmptyValid(int on) { emptyValid = on; }
    int GetEmptyValid() const { return emptyValid; }
    void SetDisableValidation(int on) { disableValidation = on; }
    int GetDisableValidation() const { return disableValidation; }
    void SetCustomValidation(int on) { customValidation = on; }
    int GetCustomValidation() const { return customValidation; }
    void SetEableTip(int on) { tipEnabled = on; }
    int GetEableTip() const { return tipEnabled; }
    void SetCustomErrorIsValid(int which, int isValid);
    int GetCustomErrorIsValid(int which, int& isValid) const;
    void SetTipText(const char* text);
    CString GetTipText() const { return tipText; }
    int SetBrushColour(VVEbrush which, COLORREF colour);
    COLORREF GetBrushColour(VVEbrush which) const;

    // Queries.
    int IsValid() const;
    int IsValidSyntax() const;
    int IsValidLength() const;
    int IsValidValue() const;
    int GetState() const { return state; }
    static int CheckRange(VVEset set, const char* text);
    static int CheckRange(VVEset set, double value);
    int CheckRange() const;
    int GetWindowValue(double& value) const;
    int GetWindowValue(long& value) const;
    int GetWindowValue(unsigned long& value) const;
    double GetWindowValue() const;
    int SetWindowValue(double value, int decimals);
    int SetWindowValue(double value) { return SetWindowValue(value, 2); }
    int SetWindowValue(long value);
    int SetWindowValue(unsigned long value);
    // With redraw and a visible window the field repaints now (which validates); otherwise it
    // validates its text without painting.
    void DoValidation(int redraw);
    // Runs the checks on a text as if it were the field's, and returns the state. The parent is
    // asked only when custom validation is on and the field has a window.
    int ValidateText(const char* text);

protected:
    HBRUSH CtlColor(CDC* dc, UINT nCtlColor);
    void OnChar(UINT nChar, UINT nRepCnt, UINT nFlags);
    BOOL OnChange();
    void OnSetFocus(CWnd* oldWnd);
    void OnKillFocus(CWnd* newWnd);
    void OnUndo();
    void OnCut();
    void OnCopy();
    void OnPaste();
    void OnClear();
    void OnSelectAll();
    BOOL PreTranslateMessage(MSG* msg) override;
    // The value a text reads as, for the class; false when it is no number of the class.
    bool ReadValue(const char* text, double& value) const;
    DECLARE_MESSAGE_MAP()

protected:
    enum Brush { BRUSH_NORMAL, BRUSH_VALID, BRUSH_ERROR, BRUSH_WARNING, BRUSH_CUSTOM1, BRUSH_CUSTOM2 };
    static int BrushOf(int state);
    void AskParent(const char* text);
    void TellValidity();
    // The numeric set-ups differ only in the class of characters they accept.
    void SetInputNumber(VVEset set, double def, double min, double max, int empty, int tip, const char* text);

    CBrush brushes[6];
    int valid = 0;
    int syntaxValid = 0;
    int lengthValid = 0;
    int valueValid = 1;
    int customHandled = 0;
    int state = VVE_EMPTY_OK;
    unsigned char allowed[256] = {};
    int anyChar = 1;
    int minLen = 0;
    int maxLen = 65535;
    VVEset validSet = VVE_ANY;
    int customValidation = 0;
    int disableValidation = 0;
    int lengthCheck = 0;
    int emptyValid = 1;
    int allCharEntry = 0;
    int customErrorValid[2] = {0, 0};
    int rangeCheck = 0;
    int valueCheck = 0;
    double defaultValue = 0.0;
    double minValue = 0.0;
    double maxValue = 0.0;
    int tipEnabled = 0;
    CString tipText;
    int tipIsCustom = 0;
    CToolTipCtrl tooltip;

    int brush = BRUSH_NORMAL;  // the brush of the last validation
    CString customChars;
    bool tipRegistered = false;
};
