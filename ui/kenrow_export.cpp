// 画像保存... and 印刷...: the board outside the window.
#include "ui/kenrow_dlg.h"

namespace masuvo {

void CKenrowDlg::OnSaveImage() {}

void CKenrowDlg::OnPrint() {}

bool CKenrowDlg::SaveBoardImage(const QString&) { return false; }

bool CKenrowDlg::PrintBoard(QPrinter&) { return false; }

}  // namespace masuvo
