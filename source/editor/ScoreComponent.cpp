#include "editor/ScoreComponent.h"

ScoreComponent::ScoreComponent (int trackNumber, int start, int length)
{
    track = trackNumber;
    startQ = start;
    lengthQ = length;
    setInterceptsMouseClicks (true, false);
}

ScoreComponent::~ScoreComponent() = default;

void ScoreComponent::mouseDoubleClick (const juce::MouseEvent&)
{
    if (onDoubleClick != nullptr)
        onDoubleClick (this);
}

void ScoreComponent::paint (juce::Graphics&)
{
}
