// The export window on the offscreen platform: the rows written to the file named, and
// the file chosen in a save dialog that holds up nothing but the window.
#include "history_rig.h"
#include "scripted_dialogs.h"

#include "history/export_window.h"
#include "history/history_csv.h"

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <gtest/gtest.h>

#include <memory>

namespace {

TEST(ExportWindow, writesTheChosenRowsToTheFileNamedAndSaysWhere_orWhyNot)
{
    HistoryRig rig;
    for (int second = 0; second < 70; ++second)
        rig.packet(100, 0);
    ScriptedDialogs dialogs;
    ExportWindow window(rig.store, dialogs);
    window.findChild<QRadioButton*>("PacketRows")->setChecked(true);
    for (const QString& path : {rig.folder.filePath("out.csv"), rig.folder.filePath("missing/out.csv")}) {
        window.findChild<QLineEdit*>("File")->setText(path);
        window.findChild<QPushButton*>("Export")->click();
    }
    ASSERT_EQ(dialogs.messages.size(), 2u);
    EXPECT_EQ(dialogs.messages[0], "The history was written to " + rig.folder.filePath("out.csv").toStdString() + ".");
    EXPECT_TRUE(dialogs.messages[1].starts_with("The history could not be written to ")) << dialogs.messages[1];
    QFile file(rig.folder.filePath("out.csv"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readLine().toStdString(), csvHeader(HistoryRows::Packets));
    EXPECT_EQ(file.readAll().count('\n'), 70) << "the last 24 hours up to now, the minute in progress too";
}

struct BrowseRig {
    HistoryRig history;
    ScriptedDialogs dialogs;
    std::unique_ptr<ExportWindow> window = std::make_unique<ExportWindow>(history.store, dialogs);

    QString fileBox() const { return window->findChild<QLineEdit*>("File")->text(); }

    // "Browse..." on the shown window; the save dialog it opened.
    QFileDialog* browse()
    {
        window->show();
        window->findChild<QPushButton*>("Browse")->click();
        return window->findChild<QFileDialog*>("ChooseFile");
    }

    // The user picks the file and presses Save.
    static void choose(QFileDialog& dialog, const QString& path)
    {
        dialog.selectFile(path);
        QMetaObject::invokeMethod(&dialog, "accept");
        QApplication::processEvents();
    }

    QString existingFile(const char* name)
    {
        const QString path = history.folder.filePath(QString::fromLatin1(name));
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        return path;
    }
};

TEST(ExportWindowBrowse, opensASaveDialogOverTheWindowOnly_aNewFileGoesToTheBox_aCancelLeavesIt)
{
    BrowseRig rig;
    const QString shown = rig.fileBox();
    QPointer<QFileDialog> cancelled = rig.browse();
    ASSERT_FALSE(cancelled.isNull());
    EXPECT_TRUE(cancelled->isVisible()) << "browse returned with the dialog open";
    EXPECT_EQ(cancelled->windowModality(), Qt::WindowModal);
    EXPECT_EQ(cancelled->acceptMode(), QFileDialog::AcceptSave);
    EXPECT_EQ(cancelled->selectedFiles().value(0), shown);
    cancelled->reject();
    QApplication::processEvents();
    EXPECT_EQ(rig.fileBox(), shown);

    const QString chosen = rig.history.folder.filePath("week.csv");
    BrowseRig::choose(*rig.browse(), chosen);

    EXPECT_EQ(rig.fileBox(), chosen);
    EXPECT_TRUE(rig.dialogs.questions.empty());
}

TEST(ExportWindowBrowse, aFileThatExists_isAskedAbout_andOnlyYesPutsItInTheBox)
{
    for (const bool yes : {true, false}) {
        SCOPED_TRACE(yes ? "Yes" : "No");
        BrowseRig rig;
        const QString shown = rig.fileBox();
        const QString existing = rig.existingFile("old.csv");
        rig.dialogs.answers = {yes};

        BrowseRig::choose(*rig.browse(), existing);

        ASSERT_EQ(rig.dialogs.questions.size(), 1u);
        EXPECT_EQ(rig.dialogs.questions[0],
                  "The file " + existing.toStdString() + " already exists. Do you want to replace it?");
        EXPECT_EQ(rig.fileBox(), yes ? existing : shown);
    }
}

} // namespace
