#pragma once
// How a channel reaches the windows that show it without the data layer knowing any window
// code: a window registers itself with every channel it draws and is told before the channel
// goes away, so that it can drop its curve while the channel is still intact.

class CKSTChannel;

class IKSTChannelObserver {
public:
    // Called once from the channel's destructor, before its samples are freed. The observer
    // may unregister itself (or others) from the channel during the call.
    virtual void OnChannelDestroyed(CKSTChannel* channel) = 0;

protected:
    ~IKSTChannelObserver() = default;
};
