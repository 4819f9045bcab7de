/* Instantiates the SAPI interface and class GUIDs, which no Winelib import
 * library provides.  The headers sapi.h pulls in come first, so that only
 * SAPI's own GUIDs are defined here; the rest come from libuuid. */
#include <windows.h>
#include <ole2.h>
#include <oaidl.h>
#include <ocidl.h>
#include <mmsystem.h>
#include <initguid.h>
#include <sapi.h>
