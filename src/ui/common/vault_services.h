#pragma once

namespace tavrino {

class AddressService;
class Clock;
class ErrorLog;
class MessageService;
class PauseService;
class ProfileManager;
class ProfileStore;
class SettingsStore;
class StoreRunner;
struct Profile;
struct SessionState;

// Everything a window of the program works with, created once in main()
// (or by a test) and handed over by reference.
struct VaultServices {
    Profile& profile;
    ProfileStore& store;
    ProfileManager& profiles;
    StoreRunner& runner; // opens and saves without freezing the window
    SettingsStore& settings;
    ErrorLog& log;
    MessageService& messages;
    const Clock& clock;
    AddressService& addresses;
    SessionState& session;
};

} // namespace tavrino
