#include "document/MediaParam.h"

#include <d3dx9math.h>

MediaParam::~MediaParam() {
  for (auto it = controls_.begin(); it != controls_.end();) {
    MediaControl* control = *it++;
    control->OnParamDestroyed();
  }
}

void MediaParam::NotifyControls(MediaControl* source) {
  // The next entry is taken first, so a control may leave the list while it is told.
  for (auto it = controls_.begin(); it != controls_.end();) {
    MediaControl* control = *it++;
    if (control != source) control->OnParamChanged(source);
  }
}

DS_ControlList::~DS_ControlList() {
  for (MediaControl* control : controls_) delete control;
  controls_.clear();
  if (underConstruction_ && owner_ && deleteOwner_) deleteOwner_(owner_);
}

// The value types scene classes use.
template class MediaParamTB<int>;
template class MediaParamTB<unsigned int>;
template class MediaParamTB<unsigned long>;
template class MediaParamTB<ds_string>;
template class MediaParamTB<D3DXVECTOR3>;
template class MediaParamTB<tagPOINT>;
template class MediaParamT<int>;
template class MediaParamT<unsigned int>;
template class MediaParamT<unsigned long>;
template class UndoCtrlT<int>;
template class UndoCtrlT<unsigned int>;
template class UndoCtrlT<unsigned long>;
template class MediaControlT<MediaParamT<unsigned int>>;
template class MediaControlT<MediaParamTB<unsigned int>>;
template class MediaControlT<MediaParamTB<int>>;
