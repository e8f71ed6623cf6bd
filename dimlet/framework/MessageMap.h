#pragma once

#include <windows.h>

#include <span>

class CWnd;

using MessageHandler = LRESULT (CWnd::*)(WPARAM, LPARAM);
using CommandHandler = void (CWnd::*)(UINT id);

// One row of a class's message map: a message (fixed, or registered at run time) with its
// handler, or a WM_COMMAND identifier range with its command handler.
struct MessageEntry {
    UINT message = 0;
    const UINT* registered = nullptr;
    UINT firstId = 0;
    UINT lastId = 0;
    MessageHandler onMessage = nullptr;
    CommandHandler onCommand = nullptr;
};

// A class's entries, searched before those of its base class.
struct MessageMap {
    const MessageMap* base = nullptr;
    std::span<const MessageEntry> entries;
};

template <class T> MessageEntry onMessage(UINT message, LRESULT (T::*handler)(WPARAM, LPARAM)) {
    return {message, nullptr, 0, 0, static_cast<MessageHandler>(handler), nullptr};
}

// The number behind a registered message is only known once the process runs.
template <class T>
MessageEntry onRegisteredMessage(const UINT& message, LRESULT (T::*handler)(WPARAM, LPARAM)) {
    return {0, &message, 0, 0, static_cast<MessageHandler>(handler), nullptr};
}

// Menu commands and control notifications with code 0 (such as a static control's click).
template <class T> MessageEntry onCommand(UINT id, void (T::*handler)(UINT)) {
    return {WM_COMMAND, nullptr, id, id, nullptr, static_cast<CommandHandler>(handler)};
}

template <class T>
MessageEntry onCommandRange(UINT firstId, UINT lastId, void (T::*handler)(UINT)) {
    return {WM_COMMAND, nullptr, firstId, lastId, nullptr, static_cast<CommandHandler>(handler)};
}
