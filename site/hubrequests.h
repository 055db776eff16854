#pragma once

class QObject;
class SiteNotifier;

/**
 * Makes the face @p pFace the sender of the site's requests on the hub: a search, the questions
 * to a camera (firmware, then settings), a write and a reboot order, each emitted on the hub
 * as the site model asks for it, synchronously. The connections live as long as the face.
 */
void sendSiteRequestsToHub(const SiteNotifier *pNotifier, QObject *pFace);
