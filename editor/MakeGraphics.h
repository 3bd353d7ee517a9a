#pragma once

class IGraphics;
class IPlugBase;

// Creates the platform editor for a plug-in: the X11 window editor, unless a test has chosen another.
using GraphicsMaker = IGraphics* (*)(IPlugBase* plug, int width, int height, int fps);

IGraphics* MakeGraphics(IPlugBase* plug, int width, int height, int fps);
// Chooses the editor every later MakeGraphics creates; null restores the window editor.
void SetGraphicsMaker(GraphicsMaker maker);
