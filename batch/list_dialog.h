#pragma once
// The list dialog "List" that edits the quick command list (command 148)
// and the pop-up list (183): the commands offered on the left, the chosen
// list of at most ten on the right, and the rules that enable "=>" and "<=".
// The GUI shows it and reports the user's actions to it.
#include <string>
#include <vector>

namespace qm {

class CommandTable;
class Workbench;

enum class ListKind { QuickList, PopUp };

// Dialog texts and control identifiers.
inline constexpr const char* kListDialogTitle = "List";
inline constexpr const char* kQuickListCaption = "Batch command List";
inline constexpr const char* kPopUpListCaption = "Select PopUpMenu Item";
inline constexpr const char* kOfferedLabel = "List of commands";
inline constexpr const char* kChosenLabel = "Select List  [ 10 ]";
inline constexpr int kOfferedListId = 161, kChosenListId = 164;
inline constexpr int kAddButtonId = 162, kRemoveButtonId = 163, kResetButtonId = 19;
inline constexpr int kListCapacity = 10;

class ListDialog {
public:
    struct Entry {
        std::string name;
        int id;
        bool enabled; // false: the command has no handler, it is shown greyed
    };
    enum class Outcome { Open, Ok, Reset, Cancel };

    // With a command table, the offered entries of commands that have no
    // handler are greyed: they cannot be added.
    ListDialog(ListKind kind, const std::vector<int>& current, const CommandTable* commands = nullptr);

    ListKind kind() const { return kind_; }
    const char* caption() const;
    const std::vector<Entry>& offered() const { return offered_; }
    const std::vector<Entry>& chosen() const { return chosen_; }
    bool addEnabled() const { return addEnabled_; }
    bool removeEnabled() const { return removeEnabled_; }

    // "=>" or a double click on an offered entry (an index outside the
    // list, such as no selection, or a greyed entry does nothing).
    void add(int offeredIndex);
    // "<=" or a double click on a chosen entry.
    void remove(int chosenIndex);
    void ok();
    void reset();
    void cancel();

    Outcome outcome() const { return outcome_; }
    // The identifiers of the chosen list.
    std::vector<int> chosenIds() const;

private:
    ListKind kind_;
    std::vector<Entry> offered_, chosen_;
    bool addEnabled_ = true, removeEnabled_ = true;
    Outcome outcome_ = Outcome::Open;
};

// Commands 148 and 183: the dialog on the stored list; OK with entries or
// Reset writes the setting ("CommandList" or "PopUpMenu") and replaces the
// list in memory; tool bar button 149 follows the quick list.
void editCommandList(Workbench& wb, ListKind kind);

// Applies a closed dialog to the workbench as above.
void applyListDialog(Workbench& wb, const ListDialog& dialog);

} // namespace qm
