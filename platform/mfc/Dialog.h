// CDialog: a window made from a dialog template (DialogTemplate.h), modal with DoModal or
// modeless with Create. WM_INITDIALOG runs OnInitDialog (which moves data into the controls with
// UpdateData(FALSE)); IDOK runs OnOK (UpdateData(TRUE), then EndDialog(IDOK) when the data are
// valid); IDCANCEL, Escape and closing run OnCancel. Enter presses the focused push button or
// the default one, unless the focused control wants the key (WM_GETDLGCODE).
//
// DoModal never blocks a run without a user: it is a modal request (ModalAnswers.h). The dialog
// is made and shown first, then the queued answers are applied one by one until it ends; with
// none left and no user it ends with IDCANCEL. It returns -1 when the dialog cannot be made (no
// template, no display), with the reason on standard error.
#pragma once

#include <memory>

#include "mfc/DialogTemplate.h"
#include "mfc/Wnd.h"

class CDialog : public CWnd {
public:
    CDialog();
    explicit CDialog(UINT idTemplate, CWnd* parent = nullptr);
    explicit CDialog(LPCSTR templateName, CWnd* parent = nullptr);
    ~CDialog() override;

    virtual INT_PTR DoModal();
    // A template built in code (or read from a script) instead of a resource.
    BOOL InitModalIndirect(const NUVMfc::DialogTemplate& dialog, CWnd* parent = nullptr);
    BOOL Create(UINT idTemplate, CWnd* parent = nullptr);
    BOOL Create(LPCSTR templateName, CWnd* parent = nullptr);
    BOOL CreateIndirect(const NUVMfc::DialogTemplate& dialog, CWnd* parent = nullptr);
    void EndDialog(int result);

    virtual BOOL OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();

    void NextDlgCtrl() const;
    void PrevDlgCtrl() const;
    void GotoDlgCtrl(CWnd* control);
    void SetDefID(UINT nID);
    DWORD GetDefID() const;  // MAKELONG(id, DC_HASDEFID)
    // Dialog units to pixels, with this dialog's font.
    void MapDialogRect(LPRECT rect) const;

    BOOL PreTranslateMessage(MSG* msg) override;

    UINT m_nIDHelp = 0;
    LPCSTR m_lpszTemplateName = nullptr;
    CWnd* m_pParentWnd = nullptr;
    INT_PTR m_nModalResult = -1;

protected:
    LRESULT HandleInitDialog(WPARAM, LPARAM);
    LRESULT HandleGetDefId(WPARAM, LPARAM);
    LRESULT HandleSetDefId(WPARAM, LPARAM);
    void OnClose();
    DECLARE_MESSAGE_MAP()

private:
    BOOL Build(const NUVMfc::DialogTemplate& dialog, CWnd* parent);
    bool LoadTemplate(NUVMfc::DialogTemplate& dialog);
    std::unique_ptr<NUVMfc::DialogTemplate> indirect_;
    struct Loop;
    Loop* loop_ = nullptr;
    bool ended_ = false;
    UINT defId_ = IDOK;
    int baseX_ = 8, baseY_ = 16;
};

#define DM_GETDEFID (WM_USER + 0)
#define DM_SETDEFID (WM_USER + 1)
#define DC_HASDEFID 0x534B
