#include "locations/location_chooser.h"

#include "locations/catalogue.h"
#include "locations/catalogue_lookups.h"
#include "locations/tree_choice.h"
#include "platform/desktop.h"
#include "platform/guarded.h"
#include "shared/program_state.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QTreeWidget>

namespace {

void set_text_color(QWidget* widget, const QColor& text, const QColor& background = QColor()) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, text);
    if (background.isValid()) {
        palette.setColor(QPalette::Window, background);
        widget->setAutoFillBackground(true);
    }
    widget->setPalette(palette);
}

} // namespace

TfrmLocation::TfrmLocation(ProgramState& state, Desktop& desktop, ChooserHost& host,
                           QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint),
      state_(state), desktop_(desktop), host_(host) {
    FormCreate();
}

void TfrmLocation::FormCreate() {
    setObjectName(QStringLiteral("frmLocation"));
    setWindowTitle(QStringLiteral("Nimbrix - Choose Location"));
    setFixedSize(426, 320);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, Qt::black);
    setPalette(palette);
    setAutoFillBackground(true);
    create_tree();
    create_zip_box();
    create_buttons();

    // Tab order: the zip box, Okay, Cancel, the tree.
    setTabOrder(txtzipcode, btnOkay);
    setTabOrder(btnOkay, btnCancel);
    setTabOrder(btnCancel, TreeView1);

    for (QWidget* control : {static_cast<QWidget*>(txtzipcode), static_cast<QWidget*>(TreeView1),
                             static_cast<QWidget*>(btnOkay), static_cast<QWidget*>(btnCancel)})
        control->installEventFilter(this);
}

// The location tree under its heading, its 2006 nodes made while it does not paint.
void TfrmLocation::create_tree() {
    lblCountry = new QLabel(QStringLiteral("Select a Location:"), this);
    lblCountry->setObjectName(QStringLiteral("lblCountry"));
    set_text_color(lblCountry, Qt::white, QColor(0x00, 0x80, 0x80));
    lblCountry->setGeometry(8, 8, 240, 17);

    TreeView1 = new QTreeWidget(this);
    TreeView1->setObjectName(QStringLiteral("TreeView1"));
    TreeView1->setGeometry(8, 28, 240, 284);
    TreeView1->setHeaderHidden(true);
    TreeView1->setIndentation(19);
    TreeView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    TreeView1->setSelectionMode(QAbstractItemView::SingleSelection);
    TreeView1->setUniformRowHeights(true);
    TreeView1->setPalette(QApplication::palette());
    TreeView1->hide();

    TreeView1->setUpdatesEnabled(false);
    const std::vector<LocationTreeNode>& tree = location_tree();
    items_.reserve(tree.size());
    QList<QTreeWidgetItem*> top_level;
    for (const LocationTreeNode& node : tree) {
        QTreeWidgetItem* item = node.parent < 0 ? new QTreeWidgetItem(QStringList{node.text})
                                                : new QTreeWidgetItem(items_[size_t(node.parent)],
                                                                      QStringList{node.text});
        if (node.parent < 0)
            top_level << item;
        items_.push_back(item);
    }
    TreeView1->addTopLevelItems(top_level);
    TreeView1->setUpdatesEnabled(true);
}

// The zip code box on the right with its explanations.
void TfrmLocation::create_zip_box() {
    Label1 =
        new QLabel(QStringLiteral("If you can't find your city, you may enter a zip code here and "
                                  "we'll find your city or a city near you."),
                   this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setWordWrap(true);
    set_text_color(Label1, Qt::white);
    Label1->setGeometry(260, 28, 158, 70);

    Label2 = new QLabel(QStringLiteral("or enter US Zip:"), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    set_text_color(Label2, QColor(0x00, 0xFF, 0x00));
    Label2->setGeometry(260, 104, 158, 17);

    txtzipcode = new QLineEdit(this);
    txtzipcode->setObjectName(QStringLiteral("txtzipcode"));
    txtzipcode->setMaxLength(5);
    txtzipcode->setGeometry(260, 124, 70, 22);
    txtzipcode->setPalette(QApplication::palette());

    lblna = new QLabel(this);
    lblna->setObjectName(QStringLiteral("lblna"));
    set_text_color(lblna, Qt::red);
    lblna->setGeometry(260, 152, 158, 17);

    Label3 = new QLabel(
        QStringLiteral("Missing a country or a state? Write to Corvalen and we will add it."),
        this);
    Label3->setObjectName(QStringLiteral("Label3"));
    Label3->setWordWrap(true);
    set_text_color(Label3, QColor(0xC0, 0xC0, 0xC0));
    Label3->setGeometry(260, 176, 158, 60);
}

void TfrmLocation::create_buttons() {
    btnOkay = new QPushButton(QStringLiteral("&Okay"), this);
    btnOkay->setObjectName(QStringLiteral("btnOkay"));
    btnOkay->setCursor(Qt::PointingHandCursor);
    btnOkay->setGeometry(260, 284, 75, 25);
    btnOkay->setDefault(true);
    btnCancel = new QPushButton(QStringLiteral("&Cancel"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    btnCancel->setCursor(Qt::PointingHandCursor);
    btnCancel->setGeometry(343, 284, 75, 25);
    connect_command(btnOkay, desktop_, [this] { host_.run_command([this] { btnOkayClick(); }); });
    connect_command(btnCancel, desktop_, [this] { btnCancelClick(); });
    connect_help_key(this, desktop_, [this] { FormHelp(); });
}

bool TfrmLocation::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress)
        return QWidget::eventFilter(watched, event);
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter)
        return QWidget::eventFilter(watched, event);
    if (!key->isAutoRepeat())
        (watched == btnCancel ? btnCancel : btnOkay)->click();
    return true;
}

void TfrmLocation::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TfrmLocation::FormShow() {
    if (const QScreen* screen = this->screen()) {
        const QRect area = screen->geometry();
        move(area.x() + area.width() / 2 - width() / 2,
             area.y() + area.height() / 2 - height() / 2);
    }
    lblna->clear();
    TreeView1->show();
    txtzipcode->clear();
    if (QTreeWidgetItem* continent = TreeView1->topLevelItem(0)) {
        for (int i = 0; i < continent->childCount(); ++i)
            continent->child(i)->setExpanded(false);
        continent->setExpanded(true);
    }
    txtzipcode->setFocus();
}

bool TfrmLocation::select_path(const QString& path) {
    QTreeWidgetItem* item = TreeView1->topLevelItem(0);
    for (const QString& text : path.split(QLatin1Char('\\'), Qt::SkipEmptyParts)) {
        QTreeWidgetItem* next = nullptr;
        for (int i = 0; item && i < item->childCount() && !next; ++i)
            if (item->child(i)->text(0) == text)
                next = item->child(i);
        if (!next)
            return false;
        item = next;
    }
    TreeView1->setCurrentItem(item);
    return true;
}

QString TfrmLocation::take_tree_path() {
    QString path;
    const QList<QTreeWidgetItem*> selected = TreeView1->selectedItems();
    for (QTreeWidgetItem* item = selected.isEmpty() ? nullptr : selected.front(); item;
         item = item->parent())
        path = item->text(0) + QLatin1Char('\\') + path;
    TreeView1->clearSelection();
    TreeView1->setCurrentItem(nullptr);
    return path;
}

void TfrmLocation::btnOkayClick() {
    host_.refuse_when_busy();
    // The choice is worked out on its own, from empty fields, and becomes current_location only
    // when its request goes out: a refused choice leaves the shown location as it was.
    CurrentLocation chosen = state_.current_location;
    chosen.region.clear();
    chosen.state.clear();
    chosen.city.clear();
    chosen.zip.clear();
    chosen.state_code.clear();
    const QString tree_path = take_tree_path();

    if (tree_path.isEmpty() || tree_path.front() == QLatin1Char('\\')) {
        if (txtzipcode->text().size() < 5)
            desktop_.message(QStringLiteral("Error - parsing pathStr."));
    } else {
        const TreeChoice choice = tree_choice(tree_path);
        // A typed zip wins over a state or province chosen without its city.
        const bool zip_wins =
            choice.outcome == TreeChoice::Outcome::NoCity && txtzipcode->text().size() >= 2;
        if (choice.outcome != TreeChoice::Outcome::Complete && !zip_wins) {
            desktop_.message(choice.message);
            desktop_.beep();
            return; // the window stays open
        }
        chosen.region = choice.region;
        chosen.state = choice.state;
        chosen.city = choice.city;
    }

    chosen.state = state_to_code(chosen.state);
    if (txtzipcode->text().size() >= 2) {
        chosen.zip = txtzipcode->text();
        chosen.city = chosen.zip;
        chosen.state = QStringLiteral(".");
        chosen.region.clear();
    }

    if (chosen.state.isEmpty() || chosen.city.isEmpty()) {
        // Asked while the window is still up, so the box stands over it.
        desktop_.beep();
        desktop_.message(QStringLiteral("Please select your location for weather conditions."));
        host_.end_chosen_request();
        return;
    }
    state_.current_location = chosen;
    hide();
    host_.request_chosen_conditions();
    hide();
}

void TfrmLocation::btnCancelClick() {
    hide();
}

void TfrmLocation::FormHelp() {
    desktop_.show_help_contents();
}
