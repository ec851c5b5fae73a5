#include "platform/help_window.h"
#include "support/recording_desktop.h"

#include <QFile>
#include <QRegularExpression>
#include <QTextBrowser>
#include <gtest/gtest.h>

TEST(HelpWindow, ShowsTheContentsPageAndEveryPageItLinksExists) {
    RecordingDesktop desktop;
    HelpWindow help(desktop);
    help.show_contents();
    EXPECT_TRUE(help.isVisible());
    EXPECT_TRUE(help.browser()->toPlainText().contains(QStringLiteral("Nimbrix Help")));

    QStringList pages{QStringLiteral("index.html")};
    for (int i = 0; i < pages.size(); ++i) {
        QFile page(QStringLiteral(":/help/") + pages[i]);
        ASSERT_TRUE(page.open(QIODevice::ReadOnly)) << pages[i].toStdString();
        const QString html = QString::fromUtf8(page.readAll());
        auto links =
            QRegularExpression(QStringLiteral("href=\"([^\":]+\\.html)\"")).globalMatch(html);
        while (links.hasNext()) {
            const QString target = links.next().captured(1);
            if (!pages.contains(target))
                pages << target;
        }
    }
    EXPECT_GE(pages.size(), 5);
    for (const QString& name : pages) {
        help.browser()->setSource(QUrl(QStringLiteral("qrc:/help/") + name));
        EXPECT_FALSE(help.browser()->toPlainText().trimmed().isEmpty()) << name.toStdString();
    }
}
