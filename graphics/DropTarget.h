#pragma once
// A window's OLE drop target: accepts text and file lists dragged onto the window and hands
// them to its receiver (the frame's drop dispatch). Its slots are laid out as the platform's
// IDropTarget (IUnknown's three, then the four drag slots), the destructor last, so the object
// itself is what RegisterDragDrop receives.

#include <cstdint>

#include "graphics/platform/DragDrop.h"

class DropReceiver;

class DropTarget {
public:
    // Starts with no reference: RegisterDragDrop takes the first one.
    explicit DropTarget(DropReceiver* receiver);
    DropTarget(const DropTarget&) = delete;
    DropTarget& operator=(const DropTarget&) = delete;

    // OLE calls these on the thread that registered the window (the host's UI thread).
    virtual platform::ComResult OSQ_COM_CALL QueryInterface(const platform::InterfaceId& iid,
                                                            void** object);
    virtual uint32_t OSQ_COM_CALL AddRef();
    virtual uint32_t OSQ_COM_CALL Release();
    virtual platform::ComResult OSQ_COM_CALL DragEnter(void* dataObject, uint32_t keyState,
                                                       platform::ScreenPoint point,
                                                       uint32_t* effect);
    virtual platform::ComResult OSQ_COM_CALL DragOver(uint32_t keyState,
                                                      platform::ScreenPoint point,
                                                      uint32_t* effect);
    virtual platform::ComResult OSQ_COM_CALL DragLeave();
    virtual platform::ComResult OSQ_COM_CALL Drop(void* dataObject, uint32_t keyState,
                                                  platform::ScreenPoint point, uint32_t* effect);
    virtual ~DropTarget();

    // The receiver cuts the link before it revokes the registration: a drop that still
    // arrives afterwards reaches nobody.
    void detachReceiver() { receiver = nullptr; }
    bool isAccepting() const { return accept; }

private:
    void dropFiles(void* drop);
    void dropText(void* global);

    int32_t referenceCount;
    bool accept;
    DropReceiver* receiver;
};
