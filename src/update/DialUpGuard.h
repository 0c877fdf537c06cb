#pragma once

namespace zelto {

class AutodialSetting;

// Keeps a request from starting an automatic dial-up connection: engage switches the setting off when it
// was on, release lets the value the user had go back once no other request holds it off, with its type
// and bytes. Before switching, engage keeps a copy of the value where the next start of the program, or any
// command that reads the settings, puts it back (AutodialSetting::RestoreKeptCopy) for a process that ends
// without releasing; when it cannot keep one it leaves the setting alone.
class DialUpGuard {
public:
    explicit DialUpGuard(AutodialSetting& setting);
    ~DialUpGuard();
    DialUpGuard(const DialUpGuard&) = delete;
    DialUpGuard& operator=(const DialUpGuard&) = delete;

    void Engage();
    void Release();
    // Whether this guard switched the setting off, rather than found it off or held by another request.
    bool Changed() const { return changed_; }

private:
    bool SwitchOff();

    AutodialSetting& setting_;
    bool joined_ = false;
    bool changed_ = false;
};

} // namespace zelto
