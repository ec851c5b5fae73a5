#include "platform/qt_desktop.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

namespace {

// An environment variable set to a folder for the life of the object (PATH: a test decides
// which opener programs exist; HOME: where the print dialog proposes its file).
class FolderVariable {
public:
    FolderVariable(const char* name, const QString& folder) : name_(name), saved_(qgetenv(name)) {
        qputenv(name, QFile::encodeName(folder));
    }
    ~FolderVariable() { qputenv(name_, saved_); }

private:
    const char* name_;
    QByteArray saved_;
};

void write_program(const QString& path, const QByteArray& script) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("#!/bin/sh\n" + script);
    file.close();
    file.setPermissions(file.permissions() | QFile::ExeOwner);
}

// Answers the next print dialog as a user would who prints into a PDF file: notes the
// printers it offers and the file it proposes, picks "Print to File (PDF)" with this file
// name and presses Print.
void print_to_pdf_in_next_dialog(const QString& pdf, QStringList* offered, QString* proposed) {
    auto* poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, [poll, pdf, offered, proposed] {
        auto* dialog = qobject_cast<QPrintDialog*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        poll->stop();
        poll->deleteLater();
        auto* printers = dialog->findChild<QComboBox*>(QStringLiteral("printers"));
        auto* file_name = dialog->findChild<QLineEdit*>(QStringLiteral("filename"));
        if (!printers || !file_name) {
            dialog->reject();
            return;
        }
        for (int i = 0; i < printers->count(); ++i)
            *offered << printers->itemText(i);
        const int pdf_entry = printers->findText(QStringLiteral("Print to File (PDF)"));
        if (pdf_entry < 0) {
            dialog->reject();
            return;
        }
        printers->setCurrentIndex(pdf_entry);
        *proposed = file_name->text();
        file_name->setText(pdf);
        dialog->accept();
    });
    poll->start(20);
}

QString pdf_text(const QString& pdf) {
    QProcess pdftotext;
    pdftotext.start(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
    if (!pdftotext.waitForFinished(30000))
        return QStringLiteral("(pdftotext of poppler-utils did not run)");
    return QString::fromUtf8(pdftotext.readAllStandardOutput());
}

} // namespace

// The opener's own answer counts: one that finds no program for the URL fails the opening,
// so the caller can say what is missing.
TEST(QtDesktopUrl, AnOpenerThatFindsNoProgramIsAFailedOpening) {
    const QString url = QStringLiteral("mailto:someone@example.org");
    const struct {
        const char* name;
        const char* opener; // nullptr: no opener program at all
        bool opened;
    } rows[] = {
        {"an opener that finds no mail program", "echo \"$1\" > \"$0.url\"; exit 3\n", false},
        {"an opener that hands it on", "echo \"$1\" > \"$0.url\"; exit 0\n", true},
        {"no opener", nullptr, false},
    };
    for (const auto& row : rows) {
        QTemporaryDir bin;
        const QString opener = bin.filePath(QStringLiteral("xdg-open"));
        if (row.opener)
            write_program(opener, row.opener);
        const FolderVariable path("PATH", bin.path());
        QtDesktop desktop;
        EXPECT_EQ(desktop.open_url(url), row.opened) << row.name;
        if (row.opener) {
            QFile received(opener + QStringLiteral(".url"));
            ASSERT_TRUE(received.open(QIODevice::ReadOnly)) << row.name;
            EXPECT_EQ(received.readAll().trimmed(), url.toUtf8()) << row.name;
        }
    }
}

// Both kinds of print dialog offer a PDF file beside the printers (on this machine, which has
// none, it is the only choice), propose a file in a folder that is there also for a caption
// with a slash, and what is printed lands in the file.
TEST(QtDesktopPrinting, EveryPrintDialogOffersAPdfFileAndPrintsIntoIt) {
    QTemporaryDir folder;
    const FolderVariable home("HOME", folder.path());
    const QString title = QStringLiteral("Nimbrix - Global Temp/Weather Image - UW-M");
    const QString line = QStringLiteral("Printed through the dialog");
    const struct {
        const char* name;
        std::function<bool(QtDesktop&)> print;
    } rows[] = {
        {"the picture print dialog",
         [&](QtDesktop& desktop) {
             QPrinter printer;
             printer.setDocName(title);
             if (!desktop.print_dialog(printer))
                 return false;
             QPainter painter;
             if (!painter.begin(&printer))
                 return false;
             painter.drawText(QPointF(100, 100), line);
             return painter.end();
         }},
        {"the text print job",
         [&](QtDesktop& desktop) {
             const auto job = desktop.open_text_job(title, QStringLiteral("DejaVu Sans"), 10);
             if (!job)
                 return false;
             job->write_line(line);
             job->close();
             return true;
         }},
    };
    for (const auto& row : rows) {
        const QString pdf = folder.filePath(QLatin1String(row.name) + QStringLiteral(".pdf"));
        QStringList offered;
        QString proposed;
        print_to_pdf_in_next_dialog(pdf, &offered, &proposed);
        QtDesktop desktop;
        EXPECT_TRUE(row.print(desktop)) << row.name;
        EXPECT_TRUE(offered.contains(QStringLiteral("Print to File (PDF)")))
            << row.name << ": " << offered.join(QLatin1Char('|')).toStdString();
        EXPECT_EQ(QFileInfo(proposed).absolutePath(), QDir(folder.path()).absolutePath())
            << row.name << ": " << proposed.toStdString();
        ASSERT_TRUE(QFile::exists(pdf)) << row.name;
        EXPECT_TRUE(pdf_text(pdf).contains(line)) << row.name;
    }
}
