// Starts the game in the page: says why it cannot where it cannot, shows how much of it has
// arrived, gives Qt the box the window fills, smaller and at Qt's own scale on a small
// screen, speaks what the game announces, and keeps the game for offline play.
"use strict";
(() => {
    const game = document.getElementById("game");
    const loading = document.getElementById("loading");
    const progress = document.getElementById("progress");
    const spoken = document.getElementById("spoken");

    function fail(sentence) {
        loading.hidden = true;
        game.replaceChildren();
        const problem = document.getElementById("problem");
        problem.textContent = sentence;
        problem.hidden = false;
    }

    // The window's own size, or as much smaller as the screen is narrower or lower, all of it
    // in view. Qt draws it at that scale itself, so that it stays crisp and takes the pointer
    // where it is; a box scaled by the page would be a smaller screen to Qt. The scale comes
    // to a quarter step of device pixels to the window's own, as 125 or 150 % do on the
    // desktop: between them, neighbouring controls' edges fall on fractions of a pixel and
    // leave traces as they are drawn again.
    const WindowWidth = game.offsetWidth, WindowHeight = game.offsetHeight;
    const room = document.documentElement;
    const fit = Math.min(1, room.clientWidth / WindowWidth, room.clientHeight / WindowHeight);
    const scale = fit < 1 ? Math.max(1, Math.floor(fit * devicePixelRatio * 4)) / 4 / devicePixelRatio : 1;
    game.style.width = `${WindowWidth * scale}px`;
    game.style.height = `${WindowHeight * scale}px`;

    // Qt draws the window on a canvas and stands an element for each control in the page's
    // accessibility tree, in a shadow root. Its canvas must never take the focus, which it
    // hides from screen readers; the element for the control with the keyboard takes it, and
    // passes the keys on to Qt.
    const qtRoot = () => game.firstElementChild?.shadowRoot;
    let keyboardAt = "";  // the id of that element
    function focusKeyboard() {
        const element = keyboardAt && qtRoot()?.getElementById(keyboardAt);
        if (element && qtRoot().activeElement !== element)
            element.focus({ preventScroll: true });
    }
    game.addEventListener("pointerdown", focusKeyboard, true);

    // Qt's elements as a screen reader needs them, made so as each comes: a caption's and a
    // text box's words as their names, a text box's value as its value; and Qt's own
    // accessibility, which waits behind a button of its own, switched on at once.
    function mend(element) {
        if (element.matches("canvas"))
            element.contentEditable = "false";
        else if (element.matches("textarea"))
            element.ariaLabel = element.textContent;
        else if (element.matches("input[type=text]")) {
            element.ariaLabel = element.getAttribute("name");
            element.value = element.textContent;
        } else if (element.matches("button") && element.textContent === "Enable Screen Reader")
            element.click();
    }
    new MutationObserver(() => {
        const root = qtRoot();
        if (!root || root.pairon12Watched)
            return;
        root.pairon12Watched = true;
        new MutationObserver(changes => {
            for (const change of changes) {
                const element = change.target.nodeType === Node.ELEMENT_NODE ? change.target : change.target.parentElement;
                [element, ...change.addedNodes].filter(node => node.nodeType === Node.ELEMENT_NODE).forEach(mend);
            }
            focusKeyboard();
        }).observe(root, { subtree: true, childList: true, characterData: true, attributeFilter: ["name"] });
        root.querySelectorAll("*").forEach(mend);
    }).observe(game, { childList: true });

    globalThis.pairon12Page = {
        // What the game says to a screen reader, in a polite live region: each notice a new
        // line, so that the same words twice are said twice, and only the last few kept.
        say(text) {
            const line = document.createElement("p");
            line.textContent = text;
            spoken.append(line);
            while (spoken.childElementCount > 8)
                spoken.firstElementChild.remove();
        },
        focus(id) {
            keyboardAt = id;
            focusKeyboard();
        },
    };

    async function download(url) {
        const response = await fetch(url);
        if (!response.ok)
            throw new Error(`${url}: ${response.status}`);
        const parts = [];
        let arrived = 0;
        for (const reader = response.body.getReader();;) {
            const { done, value } = await reader.read();
            if (done)
                break;
            parts.push(value);
            arrived += value.length;
            progress.value = arrived;
        }
        return new Blob(parts).arrayBuffer();
    }

    async function start() {
        if (location.protocol === "file:")
            return fail("Pairon12 va aperto da un server web, non come file dal disco: " +
                        "pubblica la cartella su un sito, o servila in locale.");
        if (typeof WebAssembly !== "object")
            return fail("Questo browser non può far girare Pairon12: manca WebAssembly. " +
                        "Prova con una versione recente di Chromium, Firefox o Safari.");
        const failedDownload = "Pairon12 non si è potuto scaricare. " +
                               "Controlla la connessione e ricarica la pagina.";
        if (typeof qtLoad !== "function" || typeof pairon12_entry !== "function")
            return fail(failedDownload);
        // Qt redraws for a new number of device pixels to the CSS pixel as the page is
        // resized, as zooming does; a move to a screen of another density resizes nothing,
        // so it is told as if it did.
        const density = () => matchMedia(`(resolution: ${devicePixelRatio}dppx)`)
            .addEventListener("change", () => { dispatchEvent(new Event("resize")); density(); }, { once: true });
        density();
        let module;
        try {
            module = await WebAssembly.compile(await download("pairon12.wasm"));
        } catch (error) {
            console.info(error);
            return fail(failedDownload);
        }
        await qtLoad({
            qt: {
                module: Promise.resolve(module),
                entryFunction: pairon12_entry,
                containerElements: [game],
                environment: scale < 1 ? { QT_SCALE_FACTOR: String(scale) } : {},
                onLoaded: () => { loading.hidden = true; },
                onExit: exit => { if (exit.crashed) fail("Pairon12 si è fermato per un errore: ricarica la pagina."); },
            },
        });
        if ("serviceWorker" in navigator)
            navigator.serviceWorker.register("sw.js");
    }
    start();
})();
