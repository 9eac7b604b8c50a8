// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "link/furnaceimage.h"
#include "link/requests.h"

/// What a decoded reply asks of the console beyond the furnace image.
struct DecodeResult {
    quint8 type = 0;
    bool applied = false;      ///< the type and length were known and the image was updated
    bool unknownModel = false; ///< Identify with a model not reported yet: show the box
    bool pause = false;        ///< Stop answered with a request for a 500 ms pause
    bool accepted = false;     ///< a transfer request acknowledged with TransferAccepted
};

/// The acknowledgement byte with which the controller accepts a transfer request; any other
/// value refuses it.
inline constexpr quint8 TransferAccepted = 0x55;

/// Decodes one checked reply into the furnace image. A reply of another type, or of a known
/// type with another length, changes nothing, except that a wrong-length ReadServiceBlock reply
/// asks for the service block again (a bounded number of times in a row). The caller ends the
/// wait and resets the receiver whatever the outcome.
DecodeResult DecodeReply(quint8 type, const quint8 *payload, int length, FurnaceImage &image,
                         RequestState &requests);

/// Name of a known furnace model, or an empty text.
QString FurnaceModelName(quint8 modelId);
