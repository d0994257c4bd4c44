// The help viewer behind WinHelpA: one window that shows the help file's pages.
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QTextBrowser>
#include <QUrl>

#include "internal.h"
#include "win32_qt.h"

namespace {

QPointer<QTextBrowser> viewer;
QStringList helpDirs;

QString findHelpFile(const QString& name) {
    if (QFileInfo(name).isAbsolute())
        return QFileInfo::exists(name) ? name : QString();
    for (const QString& dir : std::as_const(helpDirs)) {
        QString path = QDir(dir).filePath(name);
        if (QFileInfo(path).isFile())
            return path;
    }
    return QString();
}

} // namespace

void Win32_SetHelpPath(const std::vector<std::string>& dirs) {
    helpDirs.clear();
    for (const std::string& dir : dirs)
        helpDirs.append(QString::fromStdString(dir));
}

BOOL WINAPI WinHelpA(HWND, LPCSTR lpszHelp, UINT uCommand, ULONG_PTR) {
    if (uCommand != HELP_FINDER)
        return FALSE;
    QString name = win32::fromAnsi(lpszHelp ? lpszHelp : "");
    if (!viewer) {
        viewer = new QTextBrowser;
        viewer->setAttribute(Qt::WA_DeleteOnClose);
        viewer->setOpenExternalLinks(true);
        viewer->resize(720, 640);
    }
    QString path = findHelpFile(name);
    if (path.isEmpty()) {
        viewer->setWindowTitle(QStringLiteral("Help"));
        viewer->setPlainText(QStringLiteral("Cannot find the help file \"%1\".\n\nIt is looked "
                                            "for in:\n%2")
                                 .arg(name, helpDirs.join(QLatin1Char('\n'))));
    } else {
        viewer->setWindowTitle(QStringLiteral("%1 - Help").arg(QFileInfo(path).fileName()));
        viewer->setSource(QUrl::fromLocalFile(path), QTextDocument::HtmlResource);
    }
    viewer->show();
    viewer->raise();
    viewer->activateWindow();
    return TRUE;
}
