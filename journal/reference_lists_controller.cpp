#include "journal/reference_lists_controller.h"

#include "journal/form_sprav.h"

namespace journal {

ReferenceListsController::ReferenceListsController(core::DataSets& dataSets, RecordStore& store,
                                                   core::Prompter& prompter, QWidget* window)
    : QObject(window), form_(new TFormSprav(dataSets, store, prompter, window)) {}

void ReferenceListsController::ActionSpravExecute() { form_->exec(); }

}  // namespace journal
