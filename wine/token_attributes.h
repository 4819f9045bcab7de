/* Attribute queries of the form "Language=804;Gender=Female;Age!=Child;Name"
 * matched against a token's Attributes subkey. */
#ifndef TOKEN_ATTRIBUTES_H
#define TOKEN_ATTRIBUTES_H

#include <windows.h>

/* An empty or absent query matches every token. */
BOOL token_attributes_match(HKEY token_key, const WCHAR *query);

#endif
