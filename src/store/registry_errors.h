// The registry wrapper's failures. Each is an empty class: the class alone
// says what failed, so callers pick the handler by type. The hierarchy lets
// a handler for CRegistryEGet also catch a wrong-type read, and a handler
// for CRegistryError catch every one of them. For a message to the user,
// RegistryLastError() (registry_application.h) says what the file met.
#pragma once

namespace store {

// Thrown as itself only by subkey enumeration, for any failure other than
// the end of the list.
class CRegistryError {};

// A key can be neither opened nor created, or not opened again afterwards.
class CRegistryECreate : public CRegistryError {};

// An application path was built while the application name was unset.
class CRegistryEName : public CRegistryError {};

// A value could not be read: absent, longer than the read buffer, or the
// key is unreadable.
class CRegistryEGet : public CRegistryError {};

// A value exists but has another type than the setting expects.
class CRegistryEType : public CRegistryEGet {};

// A value could not be written (or, in flush mode, not made durable).
class CRegistryESet : public CRegistryError {};

// A key or value could not be deleted (including one that does not exist).
class CRegistryEDel : public CRegistryError {};

}  // namespace store
