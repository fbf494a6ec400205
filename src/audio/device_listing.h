#pragma once

#include <string>

class IOutputDevices;
class TAudio;

// What the component sees of the sound card, as text: the devices that record, those of `outputs`
// that play (each with its number, −1 being the default), and the lines of the open mixer with
// their controls and the values they had when the list was built.
std::string DeviceListing(TAudio& audio, IOutputDevices& outputs);
