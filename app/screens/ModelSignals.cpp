#include "screens/ModelSignals.h"

#include "model/AppModel.h"

namespace ovalon {

void followSelectedTest(AppModel &model, QObject *receiver, const std::function<void()> &refresh) {
  for (auto signal :
       {&AppModel::libraryChanged, &AppModel::selectionChanged, &AppModel::progressChanged})
    QObject::connect(&model, signal, receiver, refresh);
  QObject::connect(&model, &AppModel::documentChanged, receiver,
                   [&model, refresh](const Uuid &examID) {
                     if (model.selectedID() == examID)
                       refresh();
                   });
}

} // namespace ovalon
