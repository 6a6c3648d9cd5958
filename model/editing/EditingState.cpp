#include "editing/EditingState.h"

EditingState::EditingState(QObject* parent)
    : QObject(parent)
{}

EditingState::~EditingState() = default;

#include "moc_EditingState.cpp"
