// Declarations of the bridge the lobby puts into its movie page, for editors and type checkers.
// The reference with every rule is docs/movie.md. Nothing here returns a value: every answer
// is a message the lobby sends later to the callback registered under its name.

/** A number the lobby reads from a property's text; anything else reads as 0. */
type LobbyNumber = number;

/** What "CheckGameResult" reports. */
declare const enum CheckResult {
  /** Installed and current. */
  Current = 0,
  /** The version check failed: no answer from the update server, no version of this game there,
   *  or more than 16 checks waiting. */
  Failed = 1,
  /** Installed; the update server has a newer version ("UpdateGame" installs it). */
  Newer = 2,
  /** Not installed, or the name is not a plain name. */
  NotInstalled = 3,
}

/** What "UpdateGameResult" reports. */
declare const enum UpdateResult {
  /** The updater ran and has ended; check the game again to learn what it installed. */
  Ended = 0,
  /** No update was started: nothing newer, no answer from the server, or no updater. */
  NotStarted = 1,
}

/** One `<Server>` of Config.cfg. */
interface LoginServerEntry {
  AutoDns: string;
  TelDns: string;
  UniDns: string;
  Port: number;
}

/** The "LoginServer" message: the answer to `fscommand('LoginServer', '')`. */
interface LoginServerInfo {
  /** The program directory, for display only. */
  MainPath: string;
  /** The remembered user name ("" when none). */
  UserName: string;
  /** Config.cfg's `<Domain id>`. */
  ProxyId: number;
  /** Always 1. */
  LoginMode: number;
  /** The saved network mode: 0 automatic, 1 telecom (TelDns), 2 unicom (UniDns). */
  NetMode: 0 | 1 | 2 | number;
  /** The saved index into LoginServer. */
  LoginNode: number;
  /** 1 when the user asked to be remembered. */
  SaveAccount: 0 | 1 | number;
  /** The configured servers, in order; may be empty. */
  LoginServer: LoginServerEntry[];
  /** Six numbers 0..255, the machine's tag. */
  UserTag: number[];
  /** The lobby's own version from its Update.cfg; "" when there is none. */
  LobbyVersion: string;
  /** Only when a self-update of the lobby ended without installing and this start skipped it. */
  SkippedUpdate?: { Version: string; Result: number; Outcome: UpdateOutcome };
}

/** Why a check answered Result 1. */
type CheckReason = 'unreachable' | 'noRelease' | 'queueFull';

/** How an update ended, from the updater's exit code; 'notRun' also when it never started. */
type UpdateOutcome = 'installed' | 'failed' | 'nothingToDo' | 'refused' | 'notRun';

/** "CheckGame" and "UpdateGame": GameParam is any value, handed back unchanged in the answer. */
interface GameRequest<P = unknown> {
  /** One plain name: the game's directory and executable below the program directory. */
  GameName: string;
  GameParam?: P;
}

/** "CheckGameResult" and "UpdateGameResult". */
interface GameAnswer<R extends number, P = unknown> {
  GameName: string;
  Result: R;
  /** The request's GameParam, unchanged. */
  GameParam: P;
  /** With Result 1 of a check, and with Outcome 'notRun' of an update whose check failed. */
  Reason?: CheckReason;
}

interface UpdateAnswer<P = unknown> extends GameAnswer<UpdateResult, P> {
  Outcome: UpdateOutcome;
}

/** The start values of "PlayGame"; each becomes one argument of the game. */
interface StartValues {
  /** -ip: the IPv4 address a.b.c.d as a + b*256 + c*65536 + d*16777216 (127.0.0.1 -> 16777343).
   *  Text such as '127.0.0.1' is read as the number 127 and gives 127.0.0.0. */
  GameIp: LobbyNumber;
  /** -port: the port with its two bytes swapped: ((p & 0xff) << 8) | (p >> 8) (8080 -> 36895). */
  GamePort: LobbyNumber;
  /** -uid */
  GameUid?: string;
  /** -type */
  GameMode?: string;
  /** -key */
  GameKey?: string;
  /** -cid */
  GameChannel?: string;
  /** -mode */
  GameModex?: string;
}

interface SaveServerRequest {
  /** The name to remember; "" forgets it. */
  UserName?: string;
  SaveAccount?: 0 | 1 | number;
  NetMode?: 0 | 1 | 2 | number;
  LoginNode?: number;
}

/** Commands sent with ExternalInterface.call. A name not listed here is ignored. */
interface LobbyCalls {
  SaveServer: SaveServerRequest;
  CheckGame: GameRequest;
  /** Dropped without an answer while another update is being checked or run. */
  UpdateGame: GameRequest;
  /** Dropped without an answer while a game runs. */
  PlayGame: { GameName: string; GameParam: StartValues };
}

/** Messages the lobby sends; register each with ExternalInterface.addCallback before the first
 *  command. A message without a registered callback is lost. */
interface LobbyMessages {
  LoginServer: LoginServerInfo;
  CheckGameResult: GameAnswer<CheckResult>;
  UpdateGameResult: UpdateAnswer;
  /** Just before the game is started. */
  LoginGame: 1;
  /** The game has ended (or could not be started). */
  LogoutGame: 1;
  /** The user closes the window while logged in: answer with fscommand('LogoutServer', ''). */
  LogoutServer: 1;
  /** The right mouse button over the movie. */
  RightClick: 1;
}

/** Commands sent with fscommand. */
type LobbyCommand =
  /** Answered with the "LoginServer" message; from then on closing asks the page first. */
  | 'LoginServer'
  /** Opens an http/https address in the user's browser; at most 3 in any 2 seconds. */
  | 'OpenWeb'
  /** Ends the lobby. */
  | 'LogoutServer';

interface ExternalInterfaceBridge {
  readonly available: true;
  call<K extends keyof LobbyCalls>(name: K, argument: LobbyCalls[K]): void;
  addCallback<K extends keyof LobbyMessages>(name: K, callback: (argument: LobbyMessages[K]) => void): void;
}

declare const ExternalInterface: ExternalInterfaceBridge;
declare function fscommand(command: LobbyCommand, args?: string): void;

interface Window {
  readonly ExternalInterface: ExternalInterfaceBridge;
  readonly fscommand: typeof fscommand;
}
