// The offer, at instance destruction, to keep a copy of the downloaded clip.
#pragma once

struct PluginInstance;

// Shows the Save As dialog proposing m_szSaveName; when the user confirms,
// copies the temporary file there, replacing a file of that name.
void OfferToSaveClip(const PluginInstance* pRecord);
