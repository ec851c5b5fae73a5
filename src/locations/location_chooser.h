#pragma once

#include <QWidget>
#include <vector>

class QLabel;
class QLineEdit;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;
class Desktop;
class TForm1;
struct ProgramState;

// The window in which the user names a place for the first time: a city of the location tree
// or a US zip code. "&Okay" turns the choice into current_location and runs a whole
// conditions request with the main window's client, parser, derived values and moon picture.
class TfrmLocation : public QWidget {
    Q_OBJECT
public:
    TfrmLocation(ProgramState& state, Desktop& desktop, TForm1& main);

    void btnOkayClick();
    void btnCancelClick();

    // Selects the tree node with this text path below "Continent" ("Africa\Egypt\Cairo");
    // false when there is none. For tests and for scripted use.
    bool select_path(const QString& path);
    // The tree item of a node of location_tree().
    QTreeWidgetItem* item_for_node(int node) const { return items_.at(size_t(node)); }

    QLabel* lblCountry;
    QTreeWidget* TreeView1;
    QLabel* Label1;
    QLabel* Label2;
    QLineEdit* txtzipcode;
    QLabel* Label3;
    QLabel* lblna;
    QPushButton* btnOkay;
    QPushButton* btnCancel;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FormCreate();
    void FormShow();
    // The tree path of the selected node, walking up from it; the selection ends empty.
    QString take_tree_path();
    // Steps of "&Okay" after the choice is made: the request and the ending.
    void request_conditions();
    void ending(bool close_window);
    // Region, state, city and zip of current_location are emptied on every show; a show during
    // a running request defers it to the next "&Okay".
    void clear_location();

    ProgramState& state_;
    Desktop& desktop_;
    TForm1& main_;
    std::vector<QTreeWidgetItem*> items_;
    bool clear_pending_ = false;
};
