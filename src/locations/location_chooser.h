#pragma once

#include <QWidget>
#include <functional>
#include <vector>

class QLabel;
class QLineEdit;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;
class Desktop;
struct ProgramState;

// What the chooser needs from the window that owns the HTTP client; the main window
// implements it.
class ChooserHost {
public:
    virtual ~ChooserHost() = default;
    // Runs a command through the owner's error report (which also keeps quiet about a request
    // that the program's own exit ended).
    virtual void run_command(const std::function<void()>& command) = 0;
    // True while the client runs a request.
    virtual bool client_busy() const = 0;
    // A request while another runs is refused with the client's "Already connected".
    virtual void refuse_when_busy() const = 0;
    // The whole conditions request for the chosen current_location (into the owner's readout,
    // derived values and moon picture), ending with the idle text and the usage ping.
    virtual void request_chosen_conditions() = 0;
    // That ending alone, when the choice made no request.
    virtual void end_chosen_request() = 0;
};

// The window in which the user names a place for the first time: a city of the location tree
// or a US zip code. "&Okay" turns the choice into current_location and has the host run a
// whole conditions request; "&Cancel", and a choice that is refused, leave the shown location.
class TfrmLocation : public QWidget {
    Q_OBJECT
public:
    TfrmLocation(ProgramState& state, Desktop& desktop, ChooserHost& host, QWidget* parent);

    void btnOkayClick();
    void btnCancelClick();
    // Any help request in the window (F1): the help at its contents.
    void FormHelp();

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
    // Enter or Return presses "&Okay" (or "&Cancel" when it has the focus), once per key
    // press: the repeats of a held key, and the release of the key that closed a message box,
    // press nothing.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormCreate();
    void create_tree();
    void create_zip_box();
    void create_buttons();
    void FormShow();
    // The tree path of the selected node, walking up from it; the selection ends empty.
    QString take_tree_path();

    ProgramState& state_;
    Desktop& desktop_;
    ChooserHost& host_;
    std::vector<QTreeWidgetItem*> items_;
};
