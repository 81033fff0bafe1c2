#include "Causes.h"

namespace zavro::media {

const std::vector<std::string>& CauseKeys() {
    static const std::vector<std::string> keys = {
        "why_unreachable", "why_refused", "why_timeout",  "why_no_answer",
        "why_closed",      "why_http",    "why_login",    "why_garbled",
        "why_router_down", "why_dns",     "why_no_route", "why_site",
        "why_no_file",     "wait_router", "wait_address", "wait_upload"};
    return keys;
}

namespace {

using Texts = std::vector<std::pair<std::string, std::string>>;

const Texts kEnglish = {
    {"why_unreachable",
     "Cause: your PC has no connection to the router. Plug the network cable into a LAN port "
     "of the router and check that the router's lights are on."},
    {"why_refused",
     "Cause: the router refused the connection. Switch the router off and on again, wait "
     "one minute and try again."},
    {"why_timeout",
     "Cause: the router did not respond. Check that the cable goes to a LAN port (not the "
     "WAN port) and that the router's power is on."},
    {"why_no_answer",
     "Cause: the router took the request but did not answer in time. Wait one minute and "
     "try again; if this repeats, restart the router."},
    {"why_closed",
     "Cause: the router broke off the connection. Wait until the router has finished "
     "restarting, then try again."},
    {"why_http", "Cause: the router answered with error %d. Restart the router and try again."},
    {"why_login",
     "Cause: the router did not accept the administrator password. Go to the password page "
     "and enter the router's current password."},
    {"why_garbled",
     "Cause: the answer did not come from a router of this family. Check that the cable "
     "goes to this router and not to another device."},
    {"why_router_down",
     "The router does not answer since its restart. Check its power and the cable to a LAN "
     "port, wait one minute, then try again."},
    {"why_dns",
     "The router works, but Internet names cannot be found. Check the DNS and account "
     "settings from your provider, then try again."},
    {"why_no_route",
     "The router works, but no connection to the Internet opens. Check the modem cable on "
     "the router's WAN port and the settings from your provider."},
    {"why_site",
     "The Internet is reached, but the test page answered with an error. Try again later."},
    {"why_no_file",
     "No firmware file was sent: the path is empty or names no file that can be opened. "
     "Click Browse and choose the firmware file."},
    {"wait_router", "Waiting for the router (%d s). Exit ends the wizard."},
    {"wait_address", "Waiting for the PC's new network address (%d s). Exit ends the wizard."},
    {"wait_upload", "Sending the firmware to the router (%d s). Do not switch the router off."},
};

const Texts kDutch = {
    {"why_unreachable",
     "Oorzaak: uw pc heeft geen verbinding met de router. Steek de netwerkkabel in een "
     "LAN-poort van de router en controleer of de lampjes van de router branden."},
    {"why_refused",
     "Oorzaak: de router weigerde de verbinding. Zet de router uit en weer aan, wacht een "
     "minuut en probeer het opnieuw."},
    {"why_timeout",
     "Oorzaak: de router reageerde niet. Controleer of de kabel in een LAN-poort zit (niet "
     "de WAN-poort) en of de router aan staat."},
    {"why_no_answer",
     "Oorzaak: de router nam het verzoek aan maar antwoordde niet op tijd. Wacht een minuut "
     "en probeer het opnieuw; herstart de router als dit terugkomt."},
    {"why_closed",
     "Oorzaak: de router verbrak de verbinding. Wacht tot de router opnieuw is opgestart en "
     "probeer het dan opnieuw."},
    {"why_http",
     "Oorzaak: de router antwoordde met fout %d. Herstart de router en probeer het opnieuw."},
    {"why_login",
     "Oorzaak: de router accepteerde het beheerderswachtwoord niet. Ga naar de "
     "wachtwoordpagina en voer het huidige wachtwoord van de router in."},
    {"why_garbled",
     "Oorzaak: het antwoord kwam niet van een router uit deze serie. Controleer of de kabel "
     "naar deze router gaat en niet naar een ander apparaat."},
    {"why_router_down",
     "De router antwoordt niet meer sinds de herstart. Controleer de stroom en de kabel naar "
     "een LAN-poort, wacht een minuut en probeer het opnieuw."},
    {"why_dns",
     "De router werkt, maar internetnamen worden niet gevonden. Controleer de DNS- en "
     "accountgegevens van uw provider en probeer het opnieuw."},
    {"why_no_route",
     "De router werkt, maar er komt geen verbinding met internet tot stand. Controleer de "
     "modemkabel op de WAN-poort en de gegevens van uw provider."},
    {"why_site",
     "Internet is bereikbaar, maar de testpagina antwoordde met een fout. Probeer het later "
     "opnieuw."},
    {"why_no_file",
     "Er is geen firmware verzonden: het pad is leeg of noemt geen bestand dat geopend kan "
     "worden. Klik op Bladeren en kies het firmwarebestand."},
    {"wait_router", "Wachten op de router (%d s). Met Afsluiten stopt de wizard."},
    {"wait_address",
     "Wachten op het nieuwe netwerkadres van de pc (%d s). Met Afsluiten stopt de wizard."},
    {"wait_upload", "De firmware gaat naar de router (%d s). Schakel de router niet uit."},
};

const Texts kGerman = {
    {"why_unreachable",
     "Ursache: Ihr PC hat keine Verbindung zum Router. Stecken Sie das Netzwerkkabel in "
     "einen LAN-Anschluss des Routers und prüfen Sie, ob die Lampen des Routers leuchten."},
    {"why_refused",
     "Ursache: Der Router hat die Verbindung abgelehnt. Schalten Sie den Router aus und "
     "wieder ein, warten Sie eine Minute und versuchen Sie es erneut."},
    {"why_timeout",
     "Ursache: Der Router reagiert nicht. Prüfen Sie, ob das Kabel in einem LAN-Anschluss "
     "steckt (nicht im WAN-Anschluss) und ob der Router eingeschaltet ist."},
    {"why_no_answer",
     "Ursache: Der Router hat die Anfrage angenommen, aber nicht rechtzeitig geantwortet. "
     "Warten Sie eine Minute und versuchen Sie es erneut; starten Sie den Router neu, wenn "
     "es wieder auftritt."},
    {"why_closed",
     "Ursache: Der Router hat die Verbindung abgebrochen. Warten Sie, bis der Router neu "
     "gestartet ist, und versuchen Sie es dann erneut."},
    {"why_http",
     "Ursache: Der Router hat mit Fehler %d geantwortet. Starten Sie den Router neu und "
     "versuchen Sie es erneut."},
    {"why_login",
     "Ursache: Der Router hat das Administratorkennwort nicht angenommen. Gehen Sie zur "
     "Kennwortseite und geben Sie das aktuelle Kennwort des Routers ein."},
    {"why_garbled",
     "Ursache: Die Antwort kam nicht von einem Router dieser Baureihe. Prüfen Sie, ob das "
     "Kabel zu diesem Router führt und nicht zu einem anderen Gerät."},
    {"why_router_down",
     "Der Router antwortet seit dem Neustart nicht mehr. Prüfen Sie Stromversorgung und "
     "LAN-Kabel, warten Sie eine Minute und versuchen Sie es erneut."},
    {"why_dns",
     "Der Router arbeitet, aber Internetnamen werden nicht gefunden. Prüfen Sie die DNS- und "
     "Zugangsdaten Ihres Anbieters und versuchen Sie es erneut."},
    {"why_no_route",
     "Der Router arbeitet, aber es kommt keine Verbindung ins Internet zustande. Prüfen Sie "
     "das Modemkabel am WAN-Anschluss und die Daten Ihres Anbieters."},
    {"why_site",
     "Das Internet ist erreichbar, aber die Testseite hat mit einem Fehler geantwortet. "
     "Versuchen Sie es später erneut."},
    {"why_no_file",
     "Es wurde keine Firmware gesendet: Der Pfad ist leer oder nennt keine Datei, die sich "
     "öffnen lässt. Klicken Sie auf Suchen und wählen Sie die Firmware-Datei."},
    {"wait_router", "Warten auf den Router (%d s). Beenden schließt den Assistenten."},
    {"wait_address",
     "Warten auf die neue Netzwerkadresse des PCs (%d s). Beenden schließt den Assistenten."},
    {"wait_upload",
     "Die Firmware wird zum Router gesendet (%d s). Schalten Sie den Router nicht aus."},
};

}  // namespace

const std::vector<std::pair<std::string, std::string>>& CauseMessages(int folder) {
    static const Texts none;
    switch (folder) {
        case 1:
            return kEnglish;
        case 2:
            return kDutch;
        case 3:
            return kGerman;
        default:
            return none;
    }
}

}  // namespace zavro::media
