#pragma once
// The reference lists feature: the reference lists window over the main
// window's copies of the lists, made once and kept for the whole run, its
// rows stored through the journal's one store path.

#include "core/data_sets.h"
#include "core/prompter.h"

#include <QObject>

class QWidget;

namespace journal {

class RecordStore;
class TFormSprav;

class ReferenceListsController : public QObject {
    Q_OBJECT
  public:
    ReferenceListsController(core::DataSets& dataSets, RecordStore& store, core::Prompter& prompter,
                             QWidget* window);

    // Shows the reference lists window modally.
    void ActionSpravExecute();

  private:
    TFormSprav* form_;
};

}  // namespace journal
