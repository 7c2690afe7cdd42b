#!/usr/bin/env python3
"""The web build's page in headless Chromium, driven as a viewer would.

Serves build-web/bin on 127.0.0.1 (a free port) and talks to
chromium-headless-shell over the DevTools protocol on a pipe. First the
page without ?autostart: it waits on its start screen until a key is
pressed, which starts the timeline and the soundtrack. Then
?size=WxH&autostart: the timeline step grows at 60 a second of the runner's
clock, holding Q raises the water, Escape ends the demo (the step stops, the
page says so). Then ?size=WxH&autostart&step=N, with and without the
WEBGL_multi_draw extension: the canvas of step N is saved as
web-step-NNNNN.png for comparing with the Linux capture of that step, and
both draws must give the same picture. Prints one JSON object with what it
measured and the console's errors; exits 1 when a check fails, 77 when
Chromium is missing.
"""
import argparse
import base64
import json
import os
import shutil
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__)))), "tools"))
from serve_web import serve  # noqa: E402

BROWSERS = ("chromium-headless-shell", "chromium")
# Runs before the page's scripts: WebGL 2 as on a browser without the extension.
HIDE_MULTI_DRAW = """
const context = WebGL2RenderingContext.prototype;
const getExtension = context.getExtension, getSupportedExtensions = context.getSupportedExtensions;
context.getExtension = function(name) { return name == "WEBGL_multi_draw" ? null : getExtension.call(this, name); };
context.getSupportedExtensions = function() {
  return getSupportedExtensions.call(this).filter(name => name != "WEBGL_multi_draw");
};
"""
# Runs in the page: the animation frames' intervals in milliseconds, kept in frameIntervals.
RECORD_FRAME_INTERVALS = """
window.frameIntervals = [];
let last = 0;
(function frame(time) {
  if (last) frameIntervals.push(time - last);
  last = time;
  requestAnimationFrame(frame);
})(0);
"""
# The events the demo and its page listen to while it runs.
DEMO_EVENTS = {"keydown", "keyup", "keypress", "mousedown", "mouseup", "mousemove", "wheel", "blur", "focus",
               "visibilitychange", "resize", "dblclick", "webglcontextlost", "webglcontextrestored", "error"}
# The page's message, "" while a page loads.
MESSAGE = "(document.getElementById('message') || {}).textContent || ''"
BLUR = "window.dispatchEvent(new FocusEvent('blur'))"
# A hidden tab as the page sees it (a headless page is never hidden, and goes on drawing).
HIDE = """
Object.defineProperty(document, 'hidden', {value: true, configurable: true});
Object.defineProperty(document, 'visibilityState', {value: 'hidden', configurable: true});
document.dispatchEvent(new Event('visibilitychange'));
"""
SHOW = """
Object.defineProperty(document, 'hidden', {value: false, configurable: true});
Object.defineProperty(document, 'visibilityState', {value: 'visible', configurable: true});
document.dispatchEvent(new Event('visibilitychange'));
"""
PLAYING = "Module.audioContext.state == 'running' && !!Module.soundSource && Module.soundSource.loop"
# The soundtrack's position against the picture's, in seconds, at the time of an animation frame, read
# just after the demo's callback has run that frame's steps (a step shows 1/60 s of sound).
SOUND_OFFSET = """new Promise(resolve => requestAnimationFrame(time => {
  const sound = Module.audioContext.currentTime - (performance.now() - time) / 1000 - Module.soundStartedAt;
  resolve(sound - (Module.demoStep() - 1) / 60);
}))"""
# Runs before the page's scripts: no shader compiles, or no WebGL at all.
FAIL_SHADERS = """
const getShaderParameter = WebGL2RenderingContext.prototype.getShaderParameter;
WebGL2RenderingContext.prototype.getShaderParameter = function(shader, name) {
  return name == this.COMPILE_STATUS ? false : getShaderParameter.call(this, shader, name);
};
"""
NO_WEBGL = """
const getContext = HTMLCanvasElement.prototype.getContext;
HTMLCanvasElement.prototype.getContext = function(kind, ...rest) {
  return /webgl/.test(kind) ? null : getContext.call(this, kind, ...rest);
};
"""


def key_prevented(key_code, ctrl=False):
    """JavaScript: whether a keydown of key_code, with Ctrl or not, is prevented by the page."""
    return (f"(() => {{ const e = new KeyboardEvent('keydown', {{bubbles: true, cancelable: true, ctrlKey: {str(ctrl).lower()}}});"
            f" Object.defineProperty(e, 'keyCode', {{value: {key_code}}}); Object.defineProperty(e, 'which', {{value: {key_code}}});"
            " canvas.dispatchEvent(e); return e.defaultPrevented; })()")


class DevTools:
    """The DevTools protocol over --remote-debugging-pipe: JSON messages ended
    by a zero byte, commands on the browser's fd 3, answers and events on fd 4."""

    def __init__(self, browser, profile):
        to_browser_read, self.to_browser = os.pipe()
        self.from_browser, from_browser_write = os.pipe()
        command = [browser, "--headless", "--remote-debugging-pipe", "--no-sandbox", "--enable-unsafe-swiftshader",
                   "--no-first-run", "--window-size=1920,1080", "--user-data-dir=" + profile, "about:blank"]

        def give_pipes():  # in the child: fds 3 and 4 as Chromium expects them
            read_end, write_end = os.dup(to_browser_read), os.dup(from_browser_write)  # neither at 3 or 4 twice
            os.dup2(read_end, 3)
            os.dup2(write_end, 4)

        self.process = subprocess.Popen(command, preexec_fn=give_pipes, stdout=subprocess.DEVNULL,
                                        stderr=subprocess.DEVNULL, close_fds=False)
        os.close(to_browser_read)
        os.close(from_browser_write)
        self.buffer = b""
        self.next_id = 0
        self.events = []
        self.session = None

    def _receive(self):
        while b"\0" not in self.buffer:
            chunk = os.read(self.from_browser, 65536)
            if not chunk:
                raise RuntimeError("the browser closed the DevTools pipe")
            self.buffer += chunk
        message, self.buffer = self.buffer.split(b"\0", 1)
        return json.loads(message)

    def call(self, method, session=True, **params):
        self.next_id += 1
        message = {"id": self.next_id, "method": method, "params": params}
        if session and self.session:
            message["sessionId"] = self.session
        os.write(self.to_browser, json.dumps(message).encode() + b"\0")
        while True:
            reply = self._receive()
            if reply.get("id") == self.next_id:
                if "error" in reply:
                    raise RuntimeError(f"{method}: {reply['error']}")
                return reply.get("result", {})
            self.events.append(reply)

    def attach_to_page(self):
        targets = self.call("Target.getTargets", session=False)["targetInfos"]
        page = next(t for t in targets if t["type"] == "page")
        self.session = self.call("Target.attachToTarget", session=False, targetId=page["targetId"],
                                 flatten=True)["sessionId"]

    def evaluate(self, expression):
        result = self.call("Runtime.evaluate", expression=expression, returnByValue=True, awaitPromise=True)
        if "exceptionDetails" in result:
            raise RuntimeError(f"{expression}: {result['exceptionDetails'].get('text')}")
        return result["result"].get("value")

    def listeners(self, *expressions):
        """The event types that have handlers on each of the page's objects named."""
        found = []
        for expression in expressions:
            target = self.call("Runtime.evaluate", expression=expression)["result"]["objectId"]
            for listener in self.call("DOMDebugger.getEventListeners", objectId=target)["listeners"]:
                if listener["type"] in DEMO_EVENTS:
                    found.append(f"{expression}:{listener['type']}")
        return found

    def key(self, name, virtual_key, kinds=("keyDown", "keyUp")):
        for kind in kinds:
            self.call("Input.dispatchKeyEvent", type=kind, key=name, code=name, windowsVirtualKeyCode=virtual_key,
                      nativeVirtualKeyCode=virtual_key)

    def screenshot(self, path, width, height):
        """The page's top-left width x height pixels (the canvas) as a PNG file."""
        shot = self.call("Page.captureScreenshot", format="png",
                         clip={"x": 0, "y": 0, "width": width, "height": height, "scale": 1})
        data = base64.b64decode(shot["data"])
        with open(path, "wb") as f:
            f.write(data)
        return data

    def console_lines(self):
        """Console messages, exceptions and browser log entries seen so far."""
        lines = []
        for event in self.events:
            method, params = event.get("method"), event.get("params", {})
            if method == "Runtime.consoleAPICalled":
                text = " ".join(str(a.get("value", a.get("description", ""))) for a in params.get("args", []))
                lines.append(f"{params.get('type')}: {text}")
            elif method == "Runtime.exceptionThrown":
                details = params.get("exceptionDetails", {})
                lines.append("exception: " + details.get("exception", {}).get("description", details.get("text", "")))
            elif method == "Log.entryAdded":
                entry = params.get("entry", {})
                lines.append(f"{entry.get('level')}: {entry.get('text')}")
        return lines

    def close(self):
        try:
            self.call("Browser.close", session=False)
        except (RuntimeError, OSError):
            pass
        try:
            self.process.wait(timeout=10)
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.process.wait()


def wait_for(predicate, seconds, step=0.05):
    """Polls `predicate` until it returns a true value or time runs out."""
    deadline = time.monotonic() + seconds
    while True:
        try:
            value = predicate()
        except RuntimeError:  # asked while the page navigates
            value = None
        if value or time.monotonic() > deadline:
            return value
        time.sleep(step)


def rates_per_second(read, seconds):
    """How fast each of the numbers read() returns grows against the runner's
    clock over `seconds`: least-squares slopes through the readings, each
    timed as it first shows. A reading lags the moment the page took it by
    about one frame's drawing, which the slope evens out."""
    samples = []
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        values = read()
        if not samples or values != samples[-1][1]:
            samples.append((time.monotonic(), values))
        time.sleep(0.002)
    samples = samples[1:]  # the first values may have shown long before
    if len(samples) < 2:
        return [0.0] * len(read())
    mean_t = sum(t for t, _ in samples) / len(samples)
    spread = sum((t - mean_t) ** 2 for t, _ in samples)
    rates = []
    for i in range(len(samples[0][1])):
        mean_v = sum(v[i] for _, v in samples) / len(samples)
        rates.append(sum((t - mean_t) * (v[i] - mean_v) for t, v in samples) / spread)
    return rates


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    root = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
    parser.add_argument("--bin", default=os.path.join(root, "build-web", "bin"), help="the folder to serve")
    parser.add_argument("--out", default=".", help="where the screenshot goes")
    parser.add_argument("--size", default="480x270", help="canvas size WxH")
    parser.add_argument("--seconds", type=float, default=5.0, help="the time to count steps over")
    parser.add_argument("--step", type=int, default=600, help="the step whose picture is saved")
    args = parser.parse_args()

    browser = next((shutil.which(b) for b in BROWSERS if shutil.which(b)), None)
    if not browser:
        print("no headless Chromium (chromium-headless-shell) is installed", file=sys.stderr)
        return 77
    if not os.path.isfile(os.path.join(args.bin, "demo.html")):
        print(f"no demo.html in {args.bin}: run tools/build-web.sh", file=sys.stderr)
        return 1

    width, height = (int(n) for n in args.size.split("x"))
    server = serve(args.bin)
    base = f"http://127.0.0.1:{server.server_address[1]}/demo.html"
    # The page served without its data file.
    no_data = tempfile.TemporaryDirectory()
    for name in ("demo.html", "demo.js", "demo.wasm"):
        os.symlink(os.path.join(os.path.abspath(args.bin), name), os.path.join(no_data.name, name))
    no_data_server = serve(no_data.name)
    no_data_base = f"http://127.0.0.1:{no_data_server.server_address[1]}/demo.html"
    failures = []
    report = {}

    def check(condition, text):
        if not condition:
            failures.append(text)
        return condition

    with tempfile.TemporaryDirectory() as profile:
        tools = DevTools(browser, profile)
        try:
            tools.attach_to_page()
            for domain in ("Runtime", "Log", "Page", "DOM"):
                tools.call(domain + ".enable")
            loaded = lambda: tools.evaluate("typeof Module == 'object' && Module.ready === true")

            # Without ?autostart the page waits for a gesture.
            tools.call("Page.navigate", url=f"{base}?size={args.size}")
            started_at = time.monotonic()
            if check(wait_for(loaded, 60), "the page did not finish loading"):
                report["loadSeconds"] = round(time.monotonic() - started_at, 2)
                time.sleep(0.5)
                check(tools.evaluate("Module.demoStep()") == 0, "the demo ran before a key was pressed")
                message = tools.evaluate("document.getElementById('message').textContent")
                check("press a key" in message, f"no start screen: {message!r}")
                tools.key("Enter", 13)
                check(wait_for(lambda: tools.evaluate("Module.demoStep()") > 0, 30), "a key did not start the demo")
                # The key was the gesture that lets the soundtrack play: it is decoded and looping.
                if check(wait_for(lambda: tools.evaluate(PLAYING), 20), "no soundtrack after the key"):
                    # Hidden, the timeline and the soundtrack stop together and go on together.
                    step = lambda: tools.evaluate("Module.demoStep()")
                    time.sleep(0.5)
                    offset_before = tools.evaluate(SOUND_OFFSET)
                    tools.evaluate(HIDE)
                    time.sleep(0.5)
                    hidden_at = step()
                    time.sleep(1.5)
                    check(step() == hidden_at, "the timeline runs on while the page is hidden")
                    check(tools.evaluate("Module.audioContext.state") == "suspended",
                          "the soundtrack plays on while the page is hidden")
                    tools.evaluate(SHOW)
                    check(wait_for(lambda: step() > hidden_at + 30, 20), "the timeline did not go on after the show")
                    check(wait_for(lambda: tools.evaluate(PLAYING), 5), "the soundtrack did not go on after the show")
                    offset_after = tools.evaluate(SOUND_OFFSET)
                    if check(None not in (offset_before, offset_after), "no position of the soundtrack"):
                        report["soundOffsetChangeAfterHideAndShowSeconds"] = round(offset_after - offset_before, 3)

            # ?autostart: runs at once at the pace of real time; Q raises the water; Escape ends it.
            tools.call("Page.navigate", url=f"{base}?size={args.size}&autostart")
            step = lambda: tools.evaluate("Module.demoStep()")
            if check(wait_for(loaded, 60), "the page did not load with ?autostart") and check(
                    wait_for(lambda: step() > 0, 60), "the timeline did not start"):
                canvas = tools.evaluate("[canvas.width, canvas.height].join('x')")
                check(canvas == args.size, f"the canvas is {canvas}, not {args.size}")
                time.sleep(1.0)  # the first frames (shaders compiled on first use) are a stall
                tools.evaluate(RECORD_FRAME_INTERVALS)
                rate, fps = rates_per_second(lambda: tools.evaluate("[Module.demoStep(), Module.demoFramesDrawn()]"),
                                             args.seconds)
                report["stepsPerSecond"], report["framesPerSecond"] = round(rate, 1), round(fps, 2)
                intervals = sorted(tools.evaluate("frameIntervals"))
                if intervals:
                    report["frameIntervalsMs"] = {f"p{p}": round(intervals[min(len(intervals) - 1, len(intervals) * p // 100)])
                                                  for p in (10, 50, 90, 100)}
                # Uneven frames keep real time down to 2 frames a second; below, a frame's half second of
                # steps, the most it runs, may fall behind (a loaded machine's software renderer).
                if fps >= 2.0:
                    check(abs(rate - 60.0) <= 6.0,
                          f"the timeline runs at {rate:.1f} steps a second ({fps:.2f} frames a second)")

                # Keys released elsewhere: a lost focus and a hidden page each let go of a held Q.
                water = lambda: tools.evaluate("Module.demoWaterLevel()")
                for how, event in (("a blur", BLUR), ("a hidden page", HIDE)):
                    tools.key("q", 81, ("keyDown",))
                    check(wait_for(lambda: water() >= 300, 10), "holding Q does not raise the water")
                    # The event and the level in one task: no frame falls between them, and the next
                    # frame takes the release before its steps.
                    level = tools.evaluate(f"{event}; Module.demoWaterLevel()")
                    if how == "a hidden page":
                        time.sleep(0.5)
                        tools.evaluate(SHOW)
                    time.sleep(1.0)
                    check(water() == level, f"the water went on rising after {how}")
                    tools.key("q", 81, ("keyUp",))

                # The browser's shortcuts are not taken; the demo's keys are.
                check(not tools.evaluate(key_prevented(82, ctrl=True)), "Ctrl+R is taken from the browser")
                check(not tools.evaluate(key_prevented(116)), "F5 is taken from the browser")
                check(tools.evaluate(key_prevented(32)), "Space scrolls the page while the demo runs")

                tools.key("q", 81, ("keyDown",))
                check(wait_for(lambda: water() >= 1000, 10), "holding Q does not raise the water")
                tools.key("q", 81, ("keyUp",))
                time.sleep(0.2)
                held = water()
                time.sleep(0.3)
                report["waterLevelAfterQ"] = water()
                check(water() == held, "the water goes on rising after Q is released")

                tools.key("Escape", 27)
                if check(wait_for(lambda: tools.evaluate("Module.demoEnded === true"), 5), "Escape did not end it"):
                    ended_at = step()
                    time.sleep(0.5)
                    check(step() == ended_at, "the step goes on after Escape")
                    message = tools.evaluate("document.getElementById('message').textContent")
                    check("ended" in message, f"the page does not say the demo ended: {message!r}")
                    check(tools.evaluate("!Module.soundSource"), "the sound plays on after Escape")
                    # A plain page again: Space is not taken and no handler of the demo's is left.
                    check(not tools.evaluate(key_prevented(32)), "Space is taken after Escape")
                    left = tools.listeners("window", "document", "canvas")
                    check(not left, f"handlers left after Escape: {left}")

            # What the page says when it cannot show the demo.
            def says(url, words, script=None):
                added = script and tools.call("Page.addScriptToEvaluateOnNewDocument", source=script)["identifier"]
                tools.call("Page.navigate", url=url)
                text = lambda: tools.evaluate(MESSAGE)
                shown = wait_for(lambda: all(w in text() for w in words), 20)
                report.setdefault("messages", []).append(text())
                check(shown, f"{url}: the page does not say {words}: {text()!r}")
                if added:
                    tools.call("Page.removeScriptToEvaluateOnNewDocument", identifier=added)
            says(f"{no_data_base}?size={args.size}&autostart", ("demo.data", "404"))
            says(f"{base}?size={args.size}&autostart", ("could not start", "shader"), FAIL_SHADERS)
            left = tools.listeners("window", "document", "canvas")
            check(not left, f"handlers left after a failed start-up: {left}")
            says(f"{base}?size={args.size}&autostart", ("WebGL 2",), NO_WEBGL)

            # A lost context stops the loop and says so; its restore reloads the page at the step it was at.
            tools.call("Page.navigate", url=f"{base}?size={args.size}&autostart")
            if check(wait_for(loaded, 60) and wait_for(lambda: step() > 60, 60), "the timeline did not start"):
                tools.evaluate("window.loseContext = canvas.getContext('webgl2').getExtension('WEBGL_lose_context');"
                               "loseContext.loseContext()")
                message = lambda: tools.evaluate(MESSAGE)
                check(wait_for(lambda: "lost" in message(), 10), f"no word of the lost context: {message()!r}")
                lost_at = step()
                time.sleep(0.5)
                check(step() == lost_at, "the timeline runs on without a context")
                tools.evaluate("loseContext.restoreContext()")
                check(wait_for(lambda: "from=" in tools.evaluate("location.search") and loaded(), 30) and
                      wait_for(lambda: step() > lost_at + 30, 60), "the demo does not go on after the restore")
                shot = tools.screenshot(os.path.join(args.out, "web-restored.png"), width, height)
                check(len(shot) > 20000, "the picture after the restore is blank")

            # At a device scale factor of 2 the page draws at device pixels (within the cap); a resized window
            # resizes the drawing buffer and the frames go on filling it.
            tools.call("Emulation.setDeviceMetricsOverride", width=640, height=360, deviceScaleFactor=2, mobile=False)
            tools.call("Page.navigate", url=f"{base}?autostart")
            if check(wait_for(loaded, 60) and wait_for(lambda: step() > 0, 60), "the timeline did not start at 2x"):
                buffer = lambda: tools.evaluate(
                    "[canvas.width, canvas.height, Module.demoScreenSize && Module.demoScreenSize()].join('x')")
                check(buffer() == "1280x720x1280x720", f"the drawing buffer at 2x is {buffer()}")
                report["stepsPerSecond2x"], report["framesPerSecond2x"] = (round(r, 2) for r in rates_per_second(
                    lambda: tools.evaluate("[Module.demoStep(), Module.demoFramesDrawn()]"), 3.0))
                tools.call("Emulation.setDeviceMetricsOverride", width=400, height=300, deviceScaleFactor=2,
                           mobile=False)
                check(wait_for(lambda: buffer() == "800x600x800x600", 10), f"after a resize the buffer is {buffer()}")
                drawn = tools.evaluate("Module.demoFramesDrawn()")
                check(wait_for(lambda: tools.evaluate("Module.demoFramesDrawn()") > drawn + 1, 20),
                      "no frame after the resize")
            tools.call("Emulation.clearDeviceMetricsOverride")

            # ?step=N: the picture of step N, held; then the same without WEBGL_multi_draw, whose draw
            # loop must give the same picture.
            pictures = []
            for hide_multi_draw in (False, True):
                if hide_multi_draw:
                    tools.call("Page.addScriptToEvaluateOnNewDocument", source=HIDE_MULTI_DRAW)
                tools.call("Page.navigate", url=f"{base}?size={args.size}&autostart&step={args.step}")
                if not check(wait_for(loaded, 60) and wait_for(lambda: step() == args.step, 120),
                             f"the page did not hold step {args.step}"):
                    break
                time.sleep(0.2)
                check(step() == args.step, "the step goes on past the held one")
                name = f"web-step-{args.step:05d}{'-no-multi-draw' if hide_multi_draw else ''}.png"
                pictures.append(tools.screenshot(os.path.join(args.out, name), width, height))
                report["heldStep" + ("NoMultiDraw" if hide_multi_draw else "")] = os.path.join(args.out, name)
            check(len(pictures) < 2 or pictures[0] == pictures[1],
                  "the picture differs without WEBGL_multi_draw")
        finally:
            report["console"] = sorted(set(tools.console_lines()))
            tools.close()
            server.shutdown()
            no_data_server.shutdown()
            no_data.cleanup()

    report["failures"] = failures
    print(json.dumps(report, indent=1))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
