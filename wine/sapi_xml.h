/* Turns SAPI's own XML mark-up into the SSML espeak-ng reads.  Silences,
 * emphasis and spelling carry over; other SAPI tags are dropped so they are
 * neither spoken nor misread as SSML elements of the same name. */
#ifndef SAPI_XML_H
#define SAPI_XML_H

#include <windows.h>

/* malloc'ed; NULL when memory runs out. */
WCHAR *sapi_xml_to_ssml(const WCHAR *text);

/* Whether XML text is SSML already, that is, its root element is <speak>. */
BOOL xml_is_ssml(const WCHAR *text);

#endif
