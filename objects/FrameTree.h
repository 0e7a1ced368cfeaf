#pragma once
// Frames do not own their children, so whoever builds a tree deletes it. The trees of the
// 3D objects and leaf frames are two levels deep: a root and its children.
#include <memory>

#include "device/DS_Frame.h"

// Deletes every child of the frame once (with its animator) and empties the list, so that
// nothing is left to delete twice.
inline void DeleteChildFrames(DS_Frame& frame) {
  for (DS_Frame* child : frame.children) delete child;
  frame.children.clear();
}

// A root frame that deletes its children before itself.
struct DS_FrameTreeDeleter {
  void operator()(DS_Frame* root) const {
    if (!root) return;
    DeleteChildFrames(*root);
    delete root;
  }
};
using DS_FrameTree = std::unique_ptr<DS_Frame, DS_FrameTreeDeleter>;
