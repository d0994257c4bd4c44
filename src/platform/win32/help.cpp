// The help viewer behind WinHelpA: one window that shows the help file's pages.
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QTextBrowser>
#include <QUrl>

#include "internal.h"

#ifndef BYTESCOPE_DATADIR
#define BYTESCOPE_DATADIR "/usr/share/bytescope"
#endif

namespace {

QPointer<QTextBrowser> viewer;

// The help file beside the executable, then in the data directory of the installation the
// executable is part of (wherever it was unpacked), then in the configured data directory.
QString findHelpFile(const QString& name) {
    if (QFileInfo(name).isAbsolute())
        return QFileInfo::exists(name) ? name : QString();
    const QString exeDir = QCoreApplication::applicationDirPath();
    const QStringList dirs = {exeDir, exeDir + QStringLiteral("/../share/bytescope"),
                              QStringLiteral(BYTESCOPE_DATADIR)};
    for (const QString& dir : dirs) {
        QString path = QDir(dir).filePath(name);
        if (QFileInfo(path).isFile())
            return path;
    }
    return QString();
}

} // namespace

BOOL WINAPI WinHelpA(HWND, LPCSTR lpszHelp, UINT uCommand, ULONG_PTR) {
    if (uCommand == HELP_QUIT) {
        if (viewer)
            viewer->close();
        return TRUE;
    }
    if (uCommand != HELP_FINDER && uCommand != HELP_CONTENTS)
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
                                            "for beside the program and in %2.")
                                 .arg(name, QStringLiteral(BYTESCOPE_DATADIR)));
    } else {
        viewer->setWindowTitle(QStringLiteral("%1 - Help").arg(QFileInfo(path).fileName()));
        viewer->setSource(QUrl::fromLocalFile(path), QTextDocument::HtmlResource);
    }
    viewer->show();
    viewer->raise();
    viewer->activateWindow();
    return TRUE;
}
