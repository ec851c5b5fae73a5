#include "tray/picture_file_icon.h"

#include <QIconEngine>
#include <utility>

namespace {

// Every question about the icon reads the file first, once.
class PictureFileIcon : public QIconEngine {
public:
    explicit PictureFileIcon(QString file) : file_(std::move(file)) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode,
               QIcon::State state) override {
        icon().paint(painter, rect, Qt::AlignCenter, mode, state);
    }
    QSize actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return icon().actualSize(size, mode, state);
    }
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return icon().pixmap(size, mode, state);
    }
    QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state,
                         qreal scale) override {
        return icon().pixmap(size, scale, mode, state);
    }
    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override {
        return icon().availableSizes(mode, state);
    }
    bool isNull() override { return icon().isNull(); }
    QString key() const override { return QStringLiteral("PictureFileIcon"); }
    QIconEngine* clone() const override { return new PictureFileIcon(file_); }

private:
    const QIcon& icon() {
        if (!read_) {
            read_ = true;
            icon_ = QIcon(file_);
        }
        return icon_;
    }

    QString file_;
    QIcon icon_;
    bool read_ = false;
};

} // namespace

QIcon picture_file_icon(const QString& file) {
    return QIcon(new PictureFileIcon(file));
}
