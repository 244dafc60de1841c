// The menu "対局相手" (opponent) in the window's menu bar: no peer, an
// installed USI engine (those found on the PATH offered by name, any other
// through a file question), or a second banrei across the network. The
// choice is remembered in the user's settings and comes back at the next
// start, unless the command line names a peer.
#pragma once

enum PeerMenuItem { PEER_ITEM_NONE, PEER_ITEM_FAIRY_STOCKFISH, PEER_ITEM_GPSUSI, PEER_ITEM_ENGINE_FILE,
                    PEER_ITEM_LISTEN, PEER_ITEM_CONNECT, PEER_ITEMS };

// Adds the menu with codes first_code + item, and puts the remembered peer
// back when none is chosen yet.
void add_peer_menu(int first_code);
// Carries out a chosen item (on the application thread).
void choose_peer(int item);
