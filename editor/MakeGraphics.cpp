#include "editor/MakeGraphics.h"

#include "editor/platform/IGraphicsLinux.h"

#include <atomic>

namespace {

IGraphics* makeWindowEditor(IPlugBase* plug, int width, int height, int fps) {
    return new IGraphicsLinux(plug, width, height, fps);
}

std::atomic<GraphicsMaker> maker{nullptr};

} // namespace

IGraphics* MakeGraphics(IPlugBase* plug, int width, int height, int fps) {
    const GraphicsMaker chosen = maker.load();
    return chosen ? chosen(plug, width, height, fps) : makeWindowEditor(plug, width, height, fps);
}

void SetGraphicsMaker(GraphicsMaker newMaker) {
    maker.store(newMaker);
}
